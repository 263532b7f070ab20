// A cache hit allocates nothing but the copy of the SID into the search key. Counted by
// replacing the global allocation functions, so this runs as a program of its own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <vector>

#include "core/SidStore.h"

namespace {
int allocations = 0;
}

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace corvane {
namespace {

TEST(SidStoreAllocation, AHitAllocatesAtMostTheKeyCopy) {
  TSidStore store(nullptr);
  std::vector<uint8_t> sids[40];
  for (int i = 0; i < 40; ++i) {
    sids[i] = {1, 1, 0, 0, 0, 0, 0, 5, static_cast<uint8_t>(i), 0, 0, 0};
    store.Add(sids[i].data(), 12, "account " + std::to_string(i), "domain");
  }
  const std::vector<uint8_t> longer = {1, 2, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0, 1, 0, 0, 0};
  store.Add(longer.data(), 16, "long", "domain");

  allocations = 0;
  EXPECT_EQ(store.IndexOf(sids[17].data(), 12), 17);
  EXPECT_LE(allocations, 1);  // the first key copy

  allocations = 0;
  EXPECT_EQ(store.IndexOf(sids[3].data(), 12), 3);
  EXPECT_EQ(store.IndexOf(sids[39].data(), 12), 39);
  EXPECT_EQ(store.IndexOf(longer.data(), 16), 40);
  EXPECT_EQ(store.IndexOf(sids[0].data(), 12), 0);
  // The key keeps its buffer: only growing to the 16-byte SID may allocate.
  EXPECT_LE(allocations, 1);
}

}  // namespace
}  // namespace corvane
