// The 8-bit strings of the components and the BSTRs of automation convert both ways through the
// ANSI code page, exactly, whatever that code page is; text it cannot hold is refused on the
// way in, or given as the system gives it where a reader asked for 8-bit text.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/OleSysError.h"
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
  EXPECT_EQ(BstrToAnsi(bstr.get(), "Text"), sample.ansi);
  EXPECT_EQ(AnsiToWide(sample.ansi), sample.wide);
  EXPECT_EQ(WideToAnsi(sample.wide, "Text"), sample.ansi);
  EXPECT_EQ(WideToAnsiLossy(sample.wide), sample.ansi);

  // Far beyond any working buffer of the components.
  std::string longText;
  for (int i = 0; i < 5000; ++i) longText += sample.ansi;
  EXPECT_EQ(BstrToAnsi(AnsiToBstr(longText).get(), "Text"), longText);
}

TEST(AnsiConversion, EmptyAndNullStrings) {
  UniqueBstr empty = AnsiToBstr("");
  ASSERT_NE(empty.get(), nullptr);
  EXPECT_EQ(empty.Length(), 0u);
  EXPECT_EQ(BstrToAnsi(nullptr, "Text"), "");
}

std::string Refusal(const std::wstring& text, const char* what = "Name", const char* outcome = "") {
  try {
    WideToAnsi(text, what, outcome);
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.ErrorCode(), kSystemErrorCode);
    return e.Message();
  }
  return "taken";
}

// What the code page lacks, what it would turn into a look-alike, and half a surrogate pair.
TEST(AnsiConversion, TextThatWouldNotComeBackIsRefusedNamingItsFirstSuchCharacter) {
  const std::string lacks = "code page " + std::to_string(GetACP()) + " has no such character.";
  if (GetACP() == 936) {
    EXPECT_EQ(WideToAnsi(L"\u4E8B\u4EF6\u03B1", "Name"), "\xCA\xC2\xBC\xFE\xA6\xC1");
  } else {
    EXPECT_EQ(Refusal(L"\u03B1"), "Name cannot hold U+03B1 (character 1): " + lacks);
    EXPECT_EQ(WideToAnsiLossy(L"\u03B1\u4E8B"), "a?");
  }
  EXPECT_EQ(Refusal(L"x\xDC00", "Name", "Nothing was written."),
            "Name cannot hold U+DC00 (character 2): half of a surrogate pair is not a character. Nothing was written.");
  // A whole pair is one character, counted where it begins.
  EXPECT_EQ(Refusal(L"\xE9\U0001F600"), "Name cannot hold U+1F600 (character 2): " + lacks);
  EXPECT_FALSE(ExactAnsi(L"\xD800").has_value());
  EXPECT_EQ(WideToAnsiLossy(L"\xD800x"), "?x");
}

}  // namespace
}  // namespace corvane
