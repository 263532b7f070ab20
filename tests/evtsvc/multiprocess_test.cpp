// Several processes on one log at once: two write 10,000 events each while a third follows the
// log through change notification; none is lost, each writer's events come in its order, and a
// backup of the result is a clean log file (the next CTest step runs evtinfo on it).
#include <windows.h>

#include <gtest/gtest.h>

#include <map>

#include "ChildProcess.h"
#include "ServiceLibrary.h"
#include "TestSupport.h"

namespace corvane::evtsvc::test {
namespace {

constexpr long kPerWriter = 10000;
constexpr DWORD kMinutes = 60 * 1000;

TEST(MultiProcess, TwoWritersLoseNothingAndAThirdReaderSeesAll) {
  const TServiceLibrary& svc = TServiceLibrary::Get();
  const TScratchLog log("CorvaneSvcMulti", {"CorvaneWriterA", "CorvaneWriterB"}, 16 * 1024 * 1024);
  const std::string total = std::to_string(2 * kPerWriter);

  TChildProcess follower(ToolCommand("follow " + log.name() + " " + total + " 60000"));
  TChildProcess writerA(ToolCommand("write CorvaneWriterA " + std::to_string(kPerWriter) + " A"));
  TChildProcess writerB(ToolCommand("write CorvaneWriterB " + std::to_string(kPerWriter) + " B"));
  EXPECT_EQ(writerA.Wait(8 * kMinutes), 0u);
  EXPECT_EQ(writerB.Wait(8 * kMinutes), 0u);
  EXPECT_EQ(follower.Wait(2 * kMinutes), 0u);

  TUniqueLog handle(svc.OpenEventLogA(nullptr, log.name().c_str()));
  ASSERT_TRUE(handle) << GetLastError();
  DWORD count = 0;
  ASSERT_TRUE(svc.GetNumberOfEventLogRecords(handle.get(), &count));
  EXPECT_EQ(count, static_cast<DWORD>(2 * kPerWriter));

  std::map<std::string, long> next;
  DWORD expectedNumber = 1;
  for (const TReadRecord& record : ReadAll(handle.get(), EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ, 65536)) {
    EXPECT_EQ(record.recordNumber, expectedNumber++);
    ASSERT_EQ(record.strings.size(), 2u);
    EXPECT_EQ(record.source, record.strings[0] == "A" ? "CorvaneWriterA" : "CorvaneWriterB");
    EXPECT_EQ(record.strings[1], std::to_string(next[record.strings[0]]++));
  }
  EXPECT_EQ(next["A"], kPerWriter);
  EXPECT_EQ(next["B"], kPerWriter);

  DeleteFileA(EVTINFO_BACKUP_PATH);
  EXPECT_TRUE(svc.BackupEventLogA(handle.get(), EVTINFO_BACKUP_PATH)) << GetLastError();
}

}  // namespace
}  // namespace corvane::evtsvc::test
