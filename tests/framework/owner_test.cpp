// The owner template: one close per resource, the last error kept across it, and the reporting
// close that keeps what would not close.
#include <gtest/gtest.h>

#include <windows.h>

#include <utility>
#include <vector>

#include "framework/UniqueResource.h"

namespace corvane {
namespace {

std::vector<int> closed;
bool closeFails = false;

struct TCountingTraits {
  static int Invalid() noexcept { return 0; }
  static BOOL Close(int value) noexcept {
    closed.push_back(value);
    SetLastError(ERROR_INVALID_HANDLE);
    return !closeFails;
  }
};
using TCounted = TUniqueResource<int, TCountingTraits>;

class Owner : public ::testing::Test {
 protected:
  void SetUp() override {
    closed.clear();
    closeFails = false;
  }
};

TEST_F(Owner, ClosesEachResourceOnceAndKeepsTheLastError) {
  {
    TCounted first(1);
    TCounted second(std::move(first));
    EXPECT_FALSE(first);
    first = TCounted(2);
    SetLastError(ERROR_ACCESS_DENIED);
    second.reset(3);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(closed, std::vector<int>{1});
    first = std::move(second);
    EXPECT_EQ(closed, (std::vector<int>{1, 2}));
  }
  EXPECT_EQ(closed, (std::vector<int>{1, 2, 3}));
}

TEST_F(Owner, AReportingCloseThatFailsKeepsTheResourceAndTheSystemsError) {
  TCounted owner(7);
  closeFails = true;
  SetLastError(0);
  EXPECT_FALSE(owner.close());
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(owner.get(), 7);
  closeFails = false;
  EXPECT_TRUE(owner.close());
  EXPECT_FALSE(owner);
  EXPECT_TRUE(owner.close());  // nothing held: nothing to close
  EXPECT_EQ(closed, (std::vector<int>{7, 7}));
}

}  // namespace
}  // namespace corvane
