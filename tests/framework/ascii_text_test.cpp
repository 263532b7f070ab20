// Letter case and line ends of 8-bit names and messages, independent of the locale.
#include <gtest/gtest.h>

#include <clocale>

#include "framework/AsciiText.h"

namespace corvane {
namespace {

TEST(AsciiText, CapitalsFoldToSmallLettersAndOtherBytesCompareAsTheyAre) {
  EXPECT_TRUE(SameAsciiIgnoringCase("Security", "SECURITY"));
  EXPECT_FALSE(SameAsciiIgnoringCase("Securit", "SECURITY"));
  // Folding to small letters puts '_' (0x5F) before every letter, whatever its case.
  EXPECT_LT(CompareAsciiIgnoringCase("_x", "Ax"), 0);
  EXPECT_GT(CompareAsciiIgnoringCase("ab", "A"), 0);
  // A code page's letters keep their case, also where the locale would fold them (é, É).
  if (!std::setlocale(LC_CTYPE, ".1252")) std::setlocale(LC_CTYPE, "en_US.ISO-8859-1");
  EXPECT_FALSE(SameAsciiIgnoringCase("\xE9", "\xC9"));
  EXPECT_GT(CompareAsciiIgnoringCase("\xE9", "z"), 0);
  std::setlocale(LC_CTYPE, "C");
}

TEST(AsciiText, OnlyTheLineEndsAtTheEndGo) {
  EXPECT_EQ(WithoutLineEnds("2: not found.\r\n\r\n"), "2: not found.");
  EXPECT_EQ(WithoutLineEnds("one\r\ntwo\n"), "one\r\ntwo");
  EXPECT_EQ(WithoutLineEnds("\r\n"), "");
}

}  // namespace
}  // namespace corvane
