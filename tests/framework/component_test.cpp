// A component read from saved state: the "reading" mark while its properties are set, and one
// Loaded call when reading ends well.
#include <gtest/gtest.h>

#include <stdexcept>

#include "framework/Component.h"

namespace corvane {
namespace {

class Probe : public TComponent {
 public:
  explicit Probe(TComponent* owner) : TComponent(owner) {}
  void SetValue(int v) {
    value = v;
    readingAtSet = IsReading();
  }
  int value = 0;
  bool readingAtSet = false;
  int loaded = 0;
  bool readingAtLoaded = true;

 protected:
  void Loaded() override {
    TComponent::Loaded();
    ++loaded;
    readingAtLoaded = IsReading();
  }
};

TEST(Component, ReadingScopeMarksReadingAndEndsWithOneLoaded) {
  TComponent owner(nullptr);
  Probe probe(&owner);
  EXPECT_EQ(probe.Owner(), &owner);
  {
    TComponentReading reading(probe);
    probe.SetValue(7);
    EXPECT_TRUE(probe.HasState(TComponentState::Loading));
    reading.Complete();
  }
  EXPECT_TRUE(probe.readingAtSet);
  EXPECT_EQ(probe.loaded, 1);
  EXPECT_FALSE(probe.readingAtLoaded);
  EXPECT_FALSE(probe.IsReading());
  EXPECT_FALSE(probe.HasState(TComponentState::Loading));
}

TEST(Component, FailedReadingClearsTheMarksWithoutLoaded) {
  Probe probe(nullptr);
  EXPECT_THROW(
      {
        TComponentReading reading(probe);
        probe.SetValue(1);
        throw std::runtime_error("bad stream");
      },
      std::runtime_error);
  EXPECT_EQ(probe.loaded, 0);
  EXPECT_FALSE(probe.IsReading());
  EXPECT_FALSE(probe.HasState(TComponentState::Loading));
  probe.SetValue(2);
  EXPECT_FALSE(probe.readingAtSet);
}

}  // namespace
}  // namespace corvane
