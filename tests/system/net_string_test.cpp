// The string forms of the network and authority functions.
#include <gtest/gtest.h>

#include <cstring>

#include "fake_platform.h"
#include "system/NT_vs_95.h"
#include "system/ErrorText.h"
#include "system/Security.h"

namespace corvane {
namespace {

TEST(ToNetString, NtWritesTerminatedUtf16) {
  unsigned char buffer[512];
  std::memset(buffer, 0xCC, sizeof buffer);
  ToNetString("\\\\HOST\xE9", buffer, sizeof buffer);
  EXPECT_STREQ(reinterpret_cast<wchar_t*>(buffer), L"\\\\HOST\u00E9");
  std::memset(buffer, 0xCC, sizeof buffer);
  ToNetString("", buffer, sizeof buffer);
  EXPECT_EQ(buffer[0], 0);
  EXPECT_EQ(buffer[1], 0);
  EXPECT_EQ(buffer[2], 0xCC) << "an empty string writes only its terminator";
}

TEST(ToNetString, NtCutsALongNameToTheBuffer) {
  unsigned char buffer[520];
  std::memset(buffer, 0xCC, sizeof buffer);
  ToNetString(std::string(600, 'x'), buffer, 512);
  const auto* wide = reinterpret_cast<wchar_t*>(buffer);
  EXPECT_EQ(std::wcslen(wide), 255u);
  EXPECT_EQ(buffer[512], 0xCC) << "nothing written past the buffer";
}

TEST(ToNetString, Windows95WritesTerminatedBytesAndCutsLongNames) {
  testing::RecordingPlatform fake;
  fake.platformId = VER_PLATFORM_WIN32_WINDOWS;
  ScopedPlatform use(fake);
  unsigned char buffer[520];
  std::memset(buffer, 0xCC, sizeof buffer);
  ToNetString("", buffer, 512);
  EXPECT_EQ(buffer[0], 0);
  EXPECT_EQ(buffer[1], 0xCC);
  ToNetString(std::string(600, 'y'), buffer, 512);
  EXPECT_EQ(std::strlen(reinterpret_cast<char*>(buffer)), 511u);
  EXPECT_EQ(buffer[512], 0xCC);
  ToNetString("SERVER", buffer, 512);
  EXPECT_STREQ(reinterpret_cast<char*>(buffer), "SERVER");
}

TEST(FromNetString, ReadsTheFormOfThePlatform) {
  EXPECT_EQ(FromNetString(L"DC1"), "DC1");
  EXPECT_EQ(FromNetString(nullptr), "");
  testing::RecordingPlatform fake;
  fake.platformId = VER_PLATFORM_WIN32_WINDOWS;
  ScopedPlatform use(fake);
  EXPECT_EQ(FromNetString("DC2"), "DC2");
}

TEST(MakeLsaString, CountsBytesAndOwnsZeroedCharacters) {
  TLsaString s;
  MakeLsaString("abc", s);
  EXPECT_EQ(s.Value().Length, 6);
  EXPECT_EQ(s.Value().MaximumLength, 8);
  ASSERT_NE(s.Value().Buffer, nullptr);
  EXPECT_EQ(std::memcmp(s.Value().Buffer, L"abc", 8), 0);
  MakeLsaString("", s);
  EXPECT_EQ(s.Value().Buffer, nullptr);
  EXPECT_EQ(s.Value().Length, 0);
  EXPECT_EQ(s.Value().MaximumLength, 0);
}

TEST(MakeLsaString, RefusesTextBeyondTheCountedLengths) {
  TLsaString s;
  EXPECT_NO_THROW(MakeLsaString(std::string(32766, 'a'), s));
  EXPECT_EQ(s.Value().MaximumLength, 65534);
  EXPECT_THROW(MakeLsaString(std::string(32767, 'a'), s), EOleSysError);
}

}  // namespace
}  // namespace corvane
