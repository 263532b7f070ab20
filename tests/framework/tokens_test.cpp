#include "framework/Tokens.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

constexpr std::string_view kLineEnds = "\r\n";

TEST(Tokens, SkipLeadingAndRepeatedDelimiters) {
  const std::string_view text = "\r\n\r\nfirst line\r\n\r\nsecond";
  EXPECT_EQ(TokenStart(1, text, kLineEnds), 5u);
  EXPECT_EQ(TokenAt(1, text, kLineEnds), "first line");
  EXPECT_EQ(TokenAt(2, text, kLineEnds), "second");
  EXPECT_EQ(TokenStart(3, text, kLineEnds), 0u);
  EXPECT_EQ(TokenAt(3, text, kLineEnds), "");
}

TEST(Tokens, TextWithoutDelimitersIsOneTokenAndEmptyTextNone) {
  EXPECT_EQ(TokenAt(1, "one whole line", kLineEnds), "one whole line");
  EXPECT_EQ(TokenStart(1, "", kLineEnds), 0u);
  EXPECT_EQ(TokenAt(1, "\r\n\n", kLineEnds), "");
  EXPECT_EQ(TokenStart(0, "text", kLineEnds), 0u);
}

}  // namespace
}  // namespace corvane
