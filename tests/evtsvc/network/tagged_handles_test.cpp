// Handle values the service makes up for simulated keys and policies.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>

#include "evtsvc/network/win/TaggedHandles.h"

namespace corvane::network {
namespace {

TEST(TaggedHandles, SerialNumbersComeRoundPastValuesStillOpenAndNeverReachTheTag) {
  const std::uintptr_t tag = Tag(0x5EED);
  std::map<std::uintptr_t, int> open{{tag | (1 << 2), 0}};
  std::uintptr_t serial = kLastSerial - 1;
  const std::uintptr_t last = NextTaggedValue(tag, serial, open);
  EXPECT_EQ(last, tag | (kLastSerial << 2));
  EXPECT_TRUE(HasTag(last, tag));
  open.emplace(last, 0);
  EXPECT_EQ(NextTaggedValue(tag, serial, open), tag | (2 << 2)) << "1 is still open";
  EXPECT_FALSE(HasTag(0x80000002u, tag)) << "a predefined key";
}

}  // namespace
}  // namespace corvane::network
