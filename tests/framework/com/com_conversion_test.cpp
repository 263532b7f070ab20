// The 8-bit strings of the components and the BSTRs of automation convert both ways through the
// ANSI code page, exactly, whatever that code page is.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/com/AnsiConversion.h"

namespace corvane {
namespace {

struct Sample {
  std::string ansi;
  std::wstring wide;
};

// Letters outside ASCII in the code page the harness set, with an embedded NUL.
Sample CodePageSample() {
  using namespace std::string_literals;
  if (GetACP() == 936) return {"\xD6\xD0\0\xCE\xC4"s, L"\u4E2D\0\u6587"s};
  return {"caf\xE9\0\xFC"s, L"caf\u00E9\0\u00FC"s};
}

TEST(AnsiConversion, RoundTripsKeepEveryCharacterAndTheExactLength) {
  const Sample sample = CodePageSample();
  UniqueBstr bstr = AnsiToBstr(sample.ansi);
  ASSERT_EQ(bstr.Length(), sample.wide.size());
  EXPECT_EQ(std::wstring(bstr.get(), bstr.Length()), sample.wide);
  EXPECT_EQ(BstrToAnsi(bstr.get()), sample.ansi);
  EXPECT_EQ(AnsiToWide(sample.ansi), sample.wide);
  EXPECT_EQ(WideToAnsi(sample.wide), sample.ansi);

  // Far beyond any working buffer of the components.
  std::string longText;
  for (int i = 0; i < 5000; ++i) longText += sample.ansi;
  EXPECT_EQ(BstrToAnsi(AnsiToBstr(longText).get()), longText);
}

TEST(AnsiConversion, EmptyAndNullStrings) {
  UniqueBstr empty = AnsiToBstr("");
  ASSERT_NE(empty.get(), nullptr);
  EXPECT_EQ(empty.Length(), 0u);
  EXPECT_EQ(BstrToAnsi(nullptr), "");
}

}  // namespace
}  // namespace corvane
