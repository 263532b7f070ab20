// The message-table check that stands between a message module and the system's formatter.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/MessageTable.h"
#include "framework/OleSysError.h"

namespace corvane {
namespace {

void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

// Two blocks as a message compiler lays them out: ids 1-2 in ANSI, id 7 in UTF-16.
std::vector<uint8_t> SoundTable() {
  std::vector<uint8_t> t(4 + 2 * 12 + 3 * 12, 0);
  Put32(t, 0, 2);
  Put32(t, 4, 1), Put32(t, 8, 2), Put32(t, 12, 28);
  Put32(t, 16, 7), Put32(t, 20, 7), Put32(t, 24, 52);
  for (size_t entry : {28u, 40u}) {
    Put16(t, entry, 12);
    t[entry + 4] = 'H', t[entry + 5] = 'i';
  }
  Put16(t, 52, 12), Put16(t, 54, 1);
  t[56] = 'H', t[58] = 'i';
  return t;
}

// The refusal's text, or empty when the table was accepted.
std::string Refusal(const std::vector<uint8_t>& t) {
  try {
    CheckMessageTable(t.data(), t.size());
    return {};
  } catch (const EOleSysError& e) {
    return e.what();
  }
}

TEST(MessageTable, ASoundTableIsAccepted) { EXPECT_EQ(Refusal(SoundTable()), ""); }

TEST(MessageTable, EveryPartOutsideTheTableOrUnterminatedIsRefusedByName) {
  auto t = SoundTable();
  Put32(t, 24, 0x00100000);
  EXPECT_NE(Refusal(t).find("message 7 in block 2 lies outside"), std::string::npos) << Refusal(t);

  t = SoundTable();
  Put16(t, 40, 0);  // a zero length would never move the walk on
  EXPECT_NE(Refusal(t).find("message 2 in block 1 is shorter than its header"), std::string::npos);

  t = SoundTable();
  Put16(t, 52, 13);
  EXPECT_NE(Refusal(t).find("runs past the end"), std::string::npos);

  t = SoundTable();
  t[60] = 'x';  // the UTF-16 terminator's low byte: only whole zero units end a wide text
  t[62] = 'x';
  EXPECT_NE(Refusal(t).find("message 7 in block 2 has no terminator"), std::string::npos);

  t = SoundTable();
  Put32(t, 0, 0x15555555);
  EXPECT_NE(Refusal(t).find("blocks do not fit"), std::string::npos);

  t = SoundTable();
  Put32(t, 20, 0xFFFFFFFF);  // four billion entries: refused before any is walked
  EXPECT_NE(Refusal(t).find("more entries than the table can hold"), std::string::npos);
}

}  // namespace
}  // namespace corvane
