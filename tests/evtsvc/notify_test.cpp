// Change notification: the caller's event is set when any process writes to the log, not for
// other logs, and no more once the handle is closed.
#include <windows.h>

#include <gtest/gtest.h>

#include "ChildProcess.h"
#include "ServiceLibrary.h"
#include "TestSupport.h"

namespace corvane::evtsvc::test {
namespace {

// Long enough for another process to start and write; an event that is set returns at once.
constexpr DWORD kSignalled = 30000;
// How long an event that must stay unset is watched.
constexpr DWORD kQuiet = 500;

class TNotification : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(changed_);
    watched_.reset(svc_.OpenEventLogA(nullptr, log_.name().c_str()));
    ASSERT_TRUE(watched_) << GetLastError();
    ASSERT_TRUE(svc_.NotifyChangeEventLog(watched_.get(), changed_.get())) << GetLastError();
  }
  DWORD WaitForChange(DWORD timeout) { return WaitForSingleObject(changed_.get(), timeout); }

  const TServiceLibrary& svc_ = TServiceLibrary::Get();
  TScratchLog log_{"CorvaneSvcNotify", {"CorvaneNotifySource"}};
  UniqueHandle changed_{CreateEventA(nullptr, FALSE, FALSE, nullptr)};
  TUniqueLog watched_;
};

TEST_F(TNotification, WriteInThisProcessSetsTheEvent) {
  ASSERT_TRUE(ReportAs("CorvaneNotifySource", 1, {"here"}));
  EXPECT_EQ(WaitForChange(kSignalled), WAIT_OBJECT_0);
}

TEST_F(TNotification, WriteFromAnotherProcessSetsTheEvent) {
  TChildProcess writer(ToolCommand("write CorvaneNotifySource 1 there"));
  EXPECT_EQ(WaitForChange(kSignalled), WAIT_OBJECT_0);
  EXPECT_EQ(writer.Wait(kSignalled), 0u);
}

TEST_F(TNotification, ClearSetsTheEvent) {
  ASSERT_TRUE(svc_.ClearEventLogA(watched_.get(), nullptr));
  EXPECT_EQ(WaitForChange(kSignalled), WAIT_OBJECT_0);
}

TEST_F(TNotification, OtherLogsDoNotSetTheEvent) {
  const TScratchLog other("CorvaneSvcNotifyOther", {"CorvaneOtherSource"});
  ASSERT_TRUE(ReportAs("CorvaneOtherSource", 1, {"elsewhere"}));
  EXPECT_EQ(WaitForChange(kQuiet), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST_F(TNotification, ClosedHandleNoLongerSetsTheEvent) {
  ASSERT_TRUE(svc_.CloseEventLog(watched_.release()));
  ASSERT_TRUE(ReportAs("CorvaneNotifySource", 1, {"unwatched"}));
  EXPECT_EQ(WaitForChange(kQuiet), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST_F(TNotification, CallerMayCloseItsEventWhileSubscribed) {
  // The service holds its own reference: the caller's handle value may be reused meanwhile.
  changed_.reset();
  ASSERT_TRUE(ReportAs("CorvaneNotifySource", 1, {"no event"})) << GetLastError();
}

TEST_F(TNotification, RefusedForBackupsAndBadHandles) {
  const std::string backup = log_.folder().File("notify-backup.evt");
  ASSERT_TRUE(svc_.BackupEventLogA(watched_.get(), backup.c_str())) << GetLastError();
  const TUniqueLog fromFile(svc_.OpenBackupEventLogA(nullptr, backup.c_str()));
  ASSERT_TRUE(fromFile);
  EXPECT_FALSE(svc_.NotifyChangeEventLog(fromFile.get(), changed_.get()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(svc_.NotifyChangeEventLog(watched_.get(), nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(svc_.NotifyChangeEventLog(nullptr, changed_.get()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
}  // namespace corvane::evtsvc::test
