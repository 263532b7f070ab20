// Readers take no lock: they read while other processes append, wrap and clear, and keep only
// what no change overlapped. Two reader threads here read the whole log over and over while two
// writer processes append stamped events to a log small enough to wrap and a third process
// clears it; every record read must be whole. A writer killed in the middle of a change (the
// lock abandoned, the change never closed) must leave readers and the next writer working.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "ChildProcess.h"
#include "ServiceLibrary.h"
#include "TestSupport.h"

namespace corvane::evtsvc::test {
namespace {

constexpr DWORD kMinutes = 60 * 1000;

struct TPassTotals {
  long records = 0;
  long passes = 0;
  long torn = 0;
};

// One pass through the whole log in one direction, from a handle of its own; a pass that the
// clearing cuts short (the log changed under it) counts as far as it got.
void ReadPass(const std::string& logName, bool forwards, TPassTotals& totals) {
  const TServiceLibrary& svc = TServiceLibrary::Get();
  const TUniqueLog log(svc.OpenEventLogA(nullptr, logName.c_str()));
  ASSERT_TRUE(log) << GetLastError();
  const DWORD flags = EVENTLOG_SEQUENTIAL_READ | (forwards ? EVENTLOG_FORWARDS_READ : EVENTLOG_BACKWARDS_READ);
  DWORD last = 0;
  for (;;) {
    const TReadResult read = ReadOnce(log.get(), flags, 0, 16384);
    if (read.error == ERROR_HANDLE_EOF || read.error == ERROR_EVENTLOG_FILE_CHANGED) break;
    ASSERT_EQ(read.error, 0u);
    for (const TReadRecord& record : read.records) {
      if (!StampIntact(record)) ++totals.torn;
      // Numbers run one way within a pass; a wrap only skips some.
      if (last != 0) {
        EXPECT_TRUE(forwards ? record.recordNumber > last : record.recordNumber < last);
      }
      last = record.recordNumber;
      ++totals.records;
    }
  }
  ++totals.passes;
}

TEST(ConcurrentReads, EveryRecordReadIsWholeWhileTwoWritersAppendAndAThirdProcessClears) {
  const TScratchLog log("CorvaneSvcReads", {"CorvaneStampA", "CorvaneStampB"}, 256 * 1024);
  TChildProcess writerA(ToolCommand("stamp CorvaneStampA 3000 A"));
  TChildProcess writerB(ToolCommand("stamp CorvaneStampB 3000 B"));
  TChildProcess clearer(ToolCommand("clear " + log.name() + " 30 100"));

  std::atomic<bool> writing{true};
  TPassTotals totals[2];
  std::thread readers[2];
  for (int r = 0; r < 2; ++r) {
    readers[r] = std::thread([&, r] {
      for (bool forwards = r == 0; writing; forwards = !forwards) ReadPass(log.name(), forwards, totals[r]);
      ReadPass(log.name(), true, totals[r]);
    });
  }
  EXPECT_EQ(writerA.Wait(8 * kMinutes), 0u);
  EXPECT_EQ(writerB.Wait(8 * kMinutes), 0u);
  EXPECT_EQ(clearer.Wait(8 * kMinutes), 0u);
  writing = false;
  for (std::thread& reader : readers) reader.join();

  for (const TPassTotals& t : totals) {
    EXPECT_EQ(t.torn, 0) << "of " << t.records << " records in " << t.passes << " passes";
    EXPECT_GT(t.passes, 2);
    EXPECT_GT(t.records, 0);
  }
}

TEST(ConcurrentReads, AWriterKilledInTheMiddleOfAChangeLeavesReadersAndWritersWorking) {
  const TServiceLibrary& svc = TServiceLibrary::Get();
  const TScratchLog log("CorvaneSvcStall", {"CorvaneStamp"});
  const TUniqueLog writer(svc.RegisterEventSourceA(nullptr, "CorvaneStamp"));
  ASSERT_TRUE(writer);
  for (long i = 0; i < 20; ++i) ASSERT_TRUE(ReportStamped(writer.get(), "S", i));

  const std::string eventName = UniqueText("CorvaneStalled");
  const UniqueHandle stopped(CreateEventA(nullptr, TRUE, FALSE, eventName.c_str()));
  TChildProcess stalled(ToolCommand("stall \"" + log.file() + "\" " + eventName));
  ASSERT_EQ(WaitForSingleObject(stopped.get(), 2 * kMinutes), WAIT_OBJECT_0);
  stalled.Kill();

  const TUniqueLog reader(svc.OpenEventLogA(nullptr, log.name().c_str()));
  ASSERT_TRUE(reader);
  DWORD count = 0;
  ASSERT_TRUE(svc.GetNumberOfEventLogRecords(reader.get(), &count));
  EXPECT_EQ(count, 20u) << "the append it died in never made its record whole";
  auto records = ReadAll(reader.get(), EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ);
  ASSERT_EQ(records.size(), 20u);
  for (const TReadRecord& record : records) EXPECT_TRUE(StampIntact(record));

  ASSERT_TRUE(ReportStamped(writer.get(), "S", 20));
  ASSERT_TRUE(svc.GetNumberOfEventLogRecords(reader.get(), &count));
  EXPECT_EQ(count, 21u);
  records = ReadAll(reader.get(), EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_TRUE(StampIntact(records[0]));
  EXPECT_EQ(records[0].strings[1], "20");
}

}  // namespace
}  // namespace corvane::evtsvc::test
