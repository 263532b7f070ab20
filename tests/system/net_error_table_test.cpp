// The network error texts: the table's shape and the messages built from it.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "system/NetErrorTable.h"

namespace corvane {
namespace {

TEST(NetErrorTable, HoldsItsRowsInCodeOrderWithinTheirRange) {
  std::set<int32_t> codes;
  for (size_t i = 0; i < kNetErrorRowCount; ++i) {
    codes.insert(kNetErrorTable[i].code);
    if (i > 0) {
      EXPECT_LT(kNetErrorTable[i - 1].code, kNetErrorTable[i].code);
    }
  }
  EXPECT_EQ(codes.size(), 285u);
  EXPECT_EQ(kNetErrorTable[0].code, 2102);
  EXPECT_EQ(kNetErrorTable[kNetErrorRowCount - 1].code, 2690);
}

TEST(NetErrorTable, TextsBeginWithASpaceBelow2610AndWithoutFromThereOn) {
  for (const auto& row : kNetErrorTable) {
    const std::string text = row.text;
    if (row.code == 2137) continue;
    ASSERT_FALSE(text.empty()) << row.code;
    EXPECT_EQ(text[0] == ' ', row.code < 2610) << row.code << ": \"" << text << '"';
  }
}

TEST(NetErrorTable, AFailureReadsTheSystemsTextAsWorded) {
  // Its typos, doubled blanks and stray spaces are the system's own, and scripts compare them.
  EXPECT_EQ(NetTableMessage(2626), "2626: An internal service error has occured.");
  EXPECT_EQ(NetTableMessage(2105), "2105:  A network resource shortage occurred .");
  EXPECT_EQ(*FindNetErrorText(2515), *FindNetErrorText(2516));
}

TEST(NetErrorTable, DistinguishesAnEmptyRowFromNoRow) {
  ASSERT_TRUE(FindNetErrorText(2137).has_value());
  EXPECT_EQ(*FindNetErrorText(2137), "");
  EXPECT_EQ(NetTableMessage(2137), "2137: ");
  for (int32_t code : {2100, 2101, 2108, 2691, 99999}) {
    EXPECT_FALSE(FindNetErrorText(code).has_value()) << code;
    EXPECT_EQ(NetTableMessage(code), std::to_string(code) + ": Unknown error");
  }
}

TEST(NetErrorTable, MessagesJoinCodeAndTextWithColonAndSpace) {
  EXPECT_EQ(NetTableMessage(2102), "2102:  The workstation driver is not installed.");
  EXPECT_EQ(NetTableMessage(2690), "2690: Dfs internal error");
}

}  // namespace
}  // namespace corvane
