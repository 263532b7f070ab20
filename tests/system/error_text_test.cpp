// Messages and the raising helpers for system, authority and network codes.
#include <gtest/gtest.h>

#include "fake_platform.h"
#include "system/ErrorText.h"
#include "system/SystemTables.h"

namespace corvane {
namespace {

EOleSysError Caught(void (*raise)()) {
  try {
    raise();
  } catch (const EOleSysError& e) {
    return e;
  }
  ADD_FAILURE() << "nothing was raised";
  return EOleSysError("", 0);
}

TEST(SystemErrorText, GivesTheCodeAndTheSystemsOwnTextWithoutItsLineBreak) {
  const std::string text = SystemErrorText(ERROR_INVALID_HANDLE);
  EXPECT_EQ(text, "6: Invalid handle.");
  EXPECT_NE(SystemErrorText(ERROR_ACCESS_DENIED).find("ccess"), std::string::npos);
  EXPECT_NE(SystemErrorText(ERROR_HANDLE_EOF), SystemErrorText(ERROR_ACCESS_DENIED));
}

TEST(SystemErrorText, ACodeWithoutTextLeavesCodeAndColonAlone) {
  EXPECT_EQ(SystemErrorText(0x3FFFFF01), std::to_string(0x3FFFFF01) + ": ");
}

TEST(NetErrorText, UsesTheSystemBelow2100AndTheTableFromThere) {
  EXPECT_EQ(NetErrorText(2099), SystemErrorText(2099));
  EXPECT_EQ(NetErrorText(5), SystemErrorText(5));
  EXPECT_EQ(NetErrorText(-1), SystemErrorText(-1));
  EXPECT_EQ(NetErrorText(2100), "2100: Unknown error");
  EXPECT_EQ(NetErrorText(2102), "2102:  The workstation driver is not installed.");
  EXPECT_EQ(NetErrorText(2137), "2137: ");
}

TEST(Raising, ZeroCodesRaiseNothing) {
  EXPECT_NO_THROW(RaiseNetError(0));
  EXPECT_NO_THROW(RaiseLsaStatus(0));
  SetLastError(0);
  EXPECT_NO_THROW(RaiseLastSystemError());
}

TEST(Raising, SystemErrorsCarryCode11AndTheText) {
  const auto e = Caught([] {
    SetLastError(ERROR_ACCESS_DENIED);
    RaiseLastSystemError();
  });
  EXPECT_EQ(e.ErrorCode(), 11);
  EXPECT_EQ(e.HelpContext(), 0);
  EXPECT_EQ(e.Message(), SystemErrorText(ERROR_ACCESS_DENIED));
}

TEST(Raising, AFailureWithoutACodeRaisesItsFallback) {
  SetLastError(0);
  EXPECT_EQ(Caught([] { RaiseLastSystemErrorOr("no handle"); }).Message(), "no handle");
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(Caught([] { RaiseLastSystemErrorOr("no handle"); }).Message(), SystemErrorText(ERROR_ACCESS_DENIED));
}

TEST(Raising, NetworkErrorsCarryTheNetworkCode) {
  const auto e = Caught([] { RaiseNetError(2221); });
  EXPECT_EQ(static_cast<uint32_t>(e.ErrorCode()), 0x800407D0u);
  EXPECT_EQ(e.Message(), "2221:  The user name could not be found.");
}

TEST(Raising, AuthorityStatusIsConvertedOnNtAndTakenAsItIsElsewhere) {
  BindSystemTables();
  const auto nt = Caught([] { RaiseLsaStatus(static_cast<LONG>(0xC0000022)); });
  EXPECT_EQ(nt.ErrorCode(), 11);
  EXPECT_EQ(nt.Message(), SystemErrorText(ERROR_ACCESS_DENIED));

  testing::RecordingPlatform fake;
  fake.platformId = VER_PLATFORM_WIN32_WINDOWS;
  ScopedPlatform use(fake);
  const auto other = Caught([] { RaiseLsaStatus(5); });
  EXPECT_EQ(other.Message(), SystemErrorText(5));
}

}  // namespace
}  // namespace corvane
