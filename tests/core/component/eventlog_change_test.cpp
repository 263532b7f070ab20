// Change notifications: OnChange runs on the thread that owns the component, with the component
// as sender, when another process writes to the open local log; no handler drops the signal;
// backup files, remote logs and components never loaded give none; a clear it tells of empties
// the record cache; destroying a component
// while a change is pending or while its wait thread is blocked handing one over is safe.
#include <gtest/gtest.h>

#include <windows.h>
// After windows.h:
#include <memory>
#include <string>

#include "ComponentTestSupport.h"
#include "common/ThreadCount.h"
#include "StandIns.h"
#include "core/EventLog.h"
#include "framework/WinHandle.h"
#include "framework/OleSysError.h"

namespace corvane {
namespace {

using component_test::PumpFor;
using component_test::PumpUntil;
using component_test::RemoteMachineStandIn;
using component_test::TestLog;
using component_test::WriteEvents;
using component_test::WriteFromOtherProcess;

// Long enough for a wait thread to have handed a change over had it been going to.
constexpr DWORD kQuietMs = 400;
constexpr DWORD kDeliveryTimeoutMs = 10000;

struct Calls {
  int count = 0;
  DWORD thread = 0;
  TPersistent* sender = nullptr;
};

TNotifyEvent Recorder(Calls& calls) {
  return [&calls](TPersistent* sender) {
    ++calls.count;
    calls.thread = GetCurrentThreadId();
    calls.sender = sender;
  };
}

// A component as a container brings it back from saved state: properties read, then Loaded,
// which starts the wait thread and opens the log.
std::unique_ptr<TVEVivudAre> LoadedComponent(const std::string& source,
                                             const std::string& backup = {},
                                             const std::string& machine = {}) {
  auto eventLog = std::make_unique<TVEVivudAre>(nullptr);
  TComponentReading reading(*eventLog);
  eventLog->SetMachineName(machine);
  eventLog->SetSourceName(source);
  eventLog->SetBackupFileName(backup);
  eventLog->SetActive(true);
  reading.Complete();
  return eventLog;
}

class ChangeTest : public ::testing::Test {
 protected:
  void TearDown() override { PumpFor(50); }
  TestLog log_{"Change"};
};

TEST_F(ChangeTest, OnChangeRunsOnTheOwningThreadWithTheComponentAsSenderWhenAnotherProcessWrites) {
  auto eventLog = LoadedComponent(log_.Name());
  ASSERT_TRUE(eventLog->Active());
  Calls calls;
  eventLog->SetOnChange(Recorder(calls));
  ASSERT_TRUE(WriteFromOtherProcess(log_.Name(), 1));
  ASSERT_TRUE(PumpUntil([&] { return calls.count > 0; }, kDeliveryTimeoutMs));
  EXPECT_EQ(calls.thread, GetCurrentThreadId());
  EXPECT_EQ(calls.sender, eventLog.get());
  EXPECT_EQ(eventLog->Count(), 1);
}

TEST_F(ChangeTest, OnChangeWaitsUntilTheOwningThreadRetrievesItsMessages) {
  auto eventLog = LoadedComponent(log_.Name());
  Calls calls;
  eventLog->SetOnChange(Recorder(calls));
  WriteEvents(log_.Name(), 1);
  ASSERT_TRUE(test::WaitForPostedMessage(kDeliveryTimeoutMs));
  Sleep(kQuietMs);
  EXPECT_EQ(calls.count, 0);
  ASSERT_TRUE(PumpUntil([&] { return calls.count > 0; }, kDeliveryTimeoutMs));
}

// A clear followed by as many writes as were cached leaves the count and the oldest record's
// number as they were: the change signal is what tells of it.
TEST_F(ChangeTest, AClearTheChangeSignalToldOfEmptiesTheCache) {
  WriteEvents(log_.Name(), 3);
  auto eventLog = LoadedComponent(log_.Name());
  for (int i = 0; i < 3; ++i) eventLog->Objects(i);
  Calls calls;
  eventLog->SetOnChange(Recorder(calls));
  ASSERT_TRUE(WriteFromOtherProcess(log_.Name(), 3, true));
  ASSERT_TRUE(PumpUntil([&] { return calls.count > 0; }, kDeliveryTimeoutMs));
  ASSERT_EQ(eventLog->Count(), 3);
  EXPECT_EQ(eventLog->Objects(0).Strings()[0], "from another process 0");
}

TEST_F(ChangeTest, WithoutAHandlerTheSignalIsDropped) {
  auto eventLog = LoadedComponent(log_.Name());
  WriteEvents(log_.Name(), 1);
  PumpFor(kQuietMs);
  Calls calls;
  eventLog->SetOnChange(Recorder(calls));
  PumpFor(kQuietMs);
  EXPECT_EQ(calls.count, 0);
  // Later changes reach the handler.
  WriteEvents(log_.Name(), 1);
  EXPECT_TRUE(PumpUntil([&] { return calls.count > 0; }, kDeliveryTimeoutMs));
}

TEST_F(ChangeTest, AFailingHandlerDoesNotEndTheNotifications) {
  auto eventLog = LoadedComponent(log_.Name());
  int calls = 0;
  eventLog->SetOnChange([&](TPersistent*) {
    ++calls;
    throw EOleSysError("handler failed", 11);
  });
  WriteEvents(log_.Name(), 1);
  ASSERT_TRUE(PumpUntil([&] { return calls == 1; }, kDeliveryTimeoutMs));
  PumpFor(100);
  WriteEvents(log_.Name(), 1);
  EXPECT_TRUE(PumpUntil([&] { return calls == 2; }, kDeliveryTimeoutMs));
}

TEST_F(ChangeTest, ABackupFileARemoteLogAndAComponentNeverLoadedGiveNoOnChange) {
  WriteEvents(log_.Name(), 1);
  const std::string backup = log_.Scratch("quiet.evt");
  {
    auto writer = std::make_unique<TVEVivudAre>(nullptr);
    writer->SetSourceName(log_.Name());
    writer->SetActive(true);
    writer->SetBackupFileName(backup);
    writer->BackupEventLog();
  }
  auto fromBackup = LoadedComponent("", backup);
  ASSERT_TRUE(fromBackup->Active());
  std::unique_ptr<TVEVivudAre> remote;
  {
    RemoteMachineStandIn standIn("\\\\FARAWAY");
    remote = LoadedComponent(log_.Name(), "", "\\\\FARAWAY");
    ASSERT_EQ(standIn.servers.size(), 1u);
  }
  ASSERT_TRUE(remote->Active());
  auto neverLoaded = std::make_unique<TVEVivudAre>(nullptr);
  neverLoaded->SetSourceName(log_.Name());
  neverLoaded->SetActive(true);
  // A loaded local one shows that the writes do signal.
  auto local = LoadedComponent(log_.Name());

  Calls backupCalls, remoteCalls, neverLoadedCalls, localCalls;
  fromBackup->SetOnChange(Recorder(backupCalls));
  remote->SetOnChange(Recorder(remoteCalls));
  neverLoaded->SetOnChange(Recorder(neverLoadedCalls));
  local->SetOnChange(Recorder(localCalls));
  ASSERT_TRUE(WriteFromOtherProcess(log_.Name(), 2));
  ASSERT_TRUE(PumpUntil([&] { return localCalls.count > 0; }, kDeliveryTimeoutMs));
  PumpFor(kQuietMs);
  EXPECT_EQ(backupCalls.count, 0);
  EXPECT_EQ(remoteCalls.count, 0);
  EXPECT_EQ(neverLoadedCalls.count, 0);
}

TEST_F(ChangeTest, DestroyingWhileAChangeIsPendingIsSafe) {
  const int threadsBefore = ThreadsOfThisProcess();
  int calls = 0;
  for (int i = 0; i < 300; ++i) {
    auto eventLog = LoadedComponent(log_.Name());
    eventLog->SetOnChange([&](TPersistent*) { ++calls; });
    WriteEvents(log_.Name(), 1);
    eventLog.reset();
    PumpFor(1);
  }
  PumpFor(100);
  EXPECT_EQ(calls, 0);
  // Every wait thread has ended.
  EXPECT_TRUE(PumpUntil([&] { return ThreadsOfThisProcess() <= threadsBefore; }, 5000))
      << ThreadsOfThisProcess() << " threads, " << threadsBefore << " before";
}

TEST_F(ChangeTest, DestroyingWhileTheWaitThreadIsBlockedHandingOverAChangeIsSafe) {
  const int threadsBefore = ThreadsOfThisProcess();
  int calls = 0;
  int blocked = 0;
  for (int i = 0; i < 300; ++i) {
    auto eventLog = LoadedComponent(log_.Name());
    eventLog->SetOnChange([&](TPersistent*) { ++calls; });
    WriteEvents(log_.Name(), 1);
    // The hand-over is posted to this thread: the wait thread now waits for it to run.
    if (test::WaitForPostedMessage(2000)) ++blocked;
    eventLog.reset();
    PumpFor(1);
  }
  PumpFor(100);
  EXPECT_EQ(blocked, 300);
  EXPECT_EQ(calls, 0);
  EXPECT_TRUE(PumpUntil([&] { return ThreadsOfThisProcess() <= threadsBefore; }, 5000))
      << ThreadsOfThisProcess() << " threads, " << threadsBefore << " before";
}

TEST_F(ChangeTest, AHandlerMayDestroyItsOwnComponent) {
  const int threadsBefore = ThreadsOfThisProcess();
  for (int i = 0; i < 20; ++i) {
    std::unique_ptr<TVEVivudAre> eventLog = LoadedComponent(log_.Name());
    bool called = false;
    eventLog->SetOnChange([&](TPersistent*) {
      called = true;
      eventLog.reset();
    });
    WriteEvents(log_.Name(), 1);
    ASSERT_TRUE(PumpUntil([&] { return called; }, kDeliveryTimeoutMs));
    EXPECT_EQ(eventLog, nullptr);
  }
  EXPECT_TRUE(PumpUntil([&] { return ThreadsOfThisProcess() <= threadsBefore; }, 5000));
}

}  // namespace
}  // namespace corvane
