// The corrections to a saved type library touch only the entry they name, and refuse a file whose
// layout does not hold them.
#include "MsftFixups.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

namespace {

using corvane::tlborder::ApplyTypeEntryFixes;
using corvane::tlborder::TypeEntryFix;

// A library of two types: the header, two type offsets, the segment table, then two 0x64-byte
// entries in the type table.
std::vector<std::uint8_t> TwoTypeLibrary() {
  constexpr std::size_t table = 0x54 + 2 * 4 + 15 * 16;
  std::vector<std::uint8_t> file(table + 2 * 0x64, 0xAA);
  auto put = [&](std::size_t at, std::uint32_t value) { std::memcpy(&file[at], &value, 4); };
  put(0, 0x5446534D);
  put(0x14, 0x41);
  put(0x20, 2);
  put(0x54, 0);
  put(0x58, 0x64);
  put(0x5C, table);
  put(0x60, 2 * 0x64);
  return file;
}

TEST(TypeEntryFixes, RewriteOnlyTheNamedEntry) {
  std::vector<std::uint8_t> file = TwoTypeLibrary();
  const std::vector<std::uint8_t> before = file;
  ApplyTypeEntryFixes(file, {{1, 8, 4, true}});

  const std::size_t entry = file.size() - 0x64;
  std::int16_t vtable;
  std::int32_t size, base;
  std::memcpy(&vtable, &file[entry + 0x4E], 2);
  std::memcpy(&size, &file[entry + 0x50], 4);
  std::memcpy(&base, &file[entry + 0x54], 4);
  EXPECT_EQ(vtable, 8);
  EXPECT_EQ(size, 4);
  EXPECT_EQ(base, -1);
  std::memcpy(&file[entry + 0x4E], &before[entry + 0x4E], 10);
  EXPECT_EQ(file, before);
}

TEST(TypeEntryFixes, RefuseALayoutThatDoesNotHoldThemAndWriteNothing) {
  std::vector<std::uint8_t> outside = TwoTypeLibrary();
  const std::vector<std::uint8_t> before = outside;
  EXPECT_THROW(ApplyTypeEntryFixes(outside, {{0, 8, 4, true}, {2, 8, 4, true}}), std::runtime_error);
  EXPECT_EQ(outside, before);

  std::vector<std::uint8_t> truncated = TwoTypeLibrary();
  truncated.resize(truncated.size() - 1);
  EXPECT_THROW(ApplyTypeEntryFixes(truncated, {{1, 8, 4, true}}), std::runtime_error);

  std::vector<std::uint8_t> foreign(16, 0);
  EXPECT_THROW(ApplyTypeEntryFixes(foreign, {}), std::runtime_error);
}

}  // namespace
