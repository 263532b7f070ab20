// Reading records through the component: the direction chosen from the nearer end, the cache by
// position, the block size, the end of the log, records that arrive during a read or after a
// backwards one, and a backup with a damaged record. The reads are observed at the table
// boundary.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "ComponentTestSupport.h"
#include "EvtFile.h"
#include "ReadCounter.h"
#include "core/EventLog.h"
#include "framework/OleSysError.h"
#include "framework/WinHandle.h"

namespace corvane {
namespace {

using component_test::ReadCounter;
using component_test::TestLog;
using component_test::WriteEvents;
using component_test::WriteFromOtherProcess;

constexpr DWORD kForwards = EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ;
constexpr DWORD kBackwards = EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ;
constexpr DWORD kSeekForwards = EVENTLOG_SEEK_READ | EVENTLOG_FORWARDS_READ;
constexpr DWORD kSeekBackwards = EVENTLOG_SEEK_READ | EVENTLOG_BACKWARDS_READ;
// Records of about 3 KB: five fit in one read block, so ten take two reads.
constexpr size_t kMidSizeData = 3000;

std::string TextOf(TEventItem& item) {
  return item.Strings().Count() > 0 ? item.Strings()[0] : std::string("<no strings>");
}

class ReadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    eventLog_ = std::make_unique<TVEVivudAre>(nullptr);
    eventLog_->SetSourceName(log_.Name());
  }
  void Open() {
    eventLog_->SetActive(true);
    ASSERT_TRUE(eventLog_->Active());
  }

  TestLog log_{"Read"};
  std::unique_ptr<TVEVivudAre> eventLog_;
};

void ExpectNotAvailable(TVEVivudAre& eventLog, int index) {
  try {
    eventLog.Objects(index);
    ADD_FAILURE() << "index " << index << " gave an item";
  } catch (const EOleSysError& error) {
    EXPECT_EQ(error.Message(),
              "The event " + std::to_string(index) + " is not available at server any more.");
  }
}

TEST_F(ReadTest, AClosedComponentCountsNothingAndHasNoItems) {
  WriteEvents(log_.Name(), 3);
  EXPECT_EQ(eventLog_->Count(), 0);
  ExpectNotAvailable(*eventLog_, 0);
  Open();
  EXPECT_EQ(eventLog_->Count(), 3);
  ExpectNotAvailable(*eventLog_, 3);
  ExpectNotAvailable(*eventLog_, -1);
}

TEST_F(ReadTest, FirstRequestInTheLowerHalfReadsForwardsFromTheOldest) {
  WriteEvents(log_.Name(), 10, "event", kMidSizeData);
  Open();
  ReadCounter reads;
  TEventItem& item = eventLog_->Objects(5);
  EXPECT_EQ(TextOf(item), "event 5");
  EXPECT_EQ(item.Number(), 5);
  ASSERT_EQ(reads.Count(), 2u);
  for (const auto& call : reads.Calls()) {
    EXPECT_EQ(call.flags, kForwards);
    EXPECT_EQ(call.size, kReadBlockSize);
  }
  // Everything read on the way is cached: no further read.
  for (int i = 0; i <= 5; ++i) EXPECT_EQ(TextOf(eventLog_->Objects(i)), "event " + std::to_string(i));
  EXPECT_EQ(reads.Count(), 2u);
}

TEST_F(ReadTest, FirstRequestInTheUpperHalfReadsBackwardsFromTheNewest) {
  WriteEvents(log_.Name(), 10, "event", kMidSizeData);
  Open();
  ReadCounter reads;
  EXPECT_EQ(TextOf(eventLog_->Objects(6)), "event 6");
  ASSERT_EQ(reads.Count(), 1u);
  EXPECT_EQ(reads.Calls()[0].flags, kBackwards);
  TEventItem& newest = eventLog_->Objects(9);
  EXPECT_EQ(TextOf(newest), "event 9");
  EXPECT_EQ(newest.Number(), 9);
  EXPECT_EQ(newest.EventId(), 1009u);
  EXPECT_EQ(reads.Count(), 1u);
}

TEST_F(ReadTest, AfterAForwardsStartTheLastIndexReadsAndCachesEverythingUpToTheEnd) {
  WriteEvents(log_.Name(), 10, "event", kMidSizeData);
  Open();
  ReadCounter reads;
  EXPECT_EQ(TextOf(eventLog_->Objects(0)), "event 0");
  EXPECT_EQ(reads.Count(), 1u);
  EXPECT_EQ(TextOf(eventLog_->Objects(9)), "event 9");
  EXPECT_EQ(reads.Count(), 2u);
  EXPECT_EQ(reads.Calls()[1].flags, kForwards);
  for (int i = 0; i < 10; ++i) {
    TEventItem& item = eventLog_->Objects(i);
    EXPECT_EQ(item.Number(), i);
    EXPECT_EQ(TextOf(item), "event " + std::to_string(i));
    EXPECT_EQ(item.DataLength(), static_cast<int32_t>(kMidSizeData));
  }
  EXPECT_EQ(reads.Count(), 2u);
}

TEST_F(ReadTest, ClosingEmptiesTheCacheAndReopeningChoosesTheDirectionAnew) {
  WriteEvents(log_.Name(), 10, "event", kMidSizeData);
  Open();
  ReadCounter reads;
  eventLog_->Objects(0);
  eventLog_->SetActive(false);
  EXPECT_FALSE(eventLog_->Active());
  EXPECT_EQ(eventLog_->Handle(), nullptr);
  Open();
  reads.Reset();
  EXPECT_EQ(TextOf(eventLog_->Objects(0)), "event 0");  // read again: the cache was emptied
  ASSERT_EQ(reads.Count(), 1u);
  eventLog_->SetActive(false);
  Open();
  reads.Reset();
  eventLog_->Objects(9);
  ASSERT_EQ(reads.Count(), 1u);
  EXPECT_EQ(reads.Calls()[0].flags, kBackwards);
}

TEST_F(ReadTest, ABlockIsGrownOnlyForARecordThatDoesNotFit) {
  WriteEvents(log_.Name(), 2, "small");
  WriteEvents(log_.Name(), 1, "large", 20000);
  WriteEvents(log_.Name(), 2, "after");
  Open();
  ReadCounter reads;
  TEventItem& large = eventLog_->Objects(2);
  EXPECT_EQ(TextOf(large), "large 0");
  ASSERT_EQ(large.DataLength(), 20000);
  EXPECT_EQ(large.Data()[19999], 0);
  // The small ones come in the first block; the large one is refused with 122, then read with
  // a buffer of exactly the size it needs.
  ASSERT_EQ(reads.Count(), 3u);
  EXPECT_EQ(reads.Calls()[0].size, kReadBlockSize);
  EXPECT_TRUE(reads.Calls()[0].succeeded);
  EXPECT_EQ(reads.Calls()[1].error, static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_GT(reads.Calls()[2].size, kReadBlockSize);
  EXPECT_TRUE(reads.Calls()[2].succeeded);
  // A later request starts again with a block of the usual size.
  EXPECT_EQ(TextOf(eventLog_->Objects(4)), "after 1");
  EXPECT_EQ(reads.Calls().back().size, kReadBlockSize);
}

TEST_F(ReadTest, TheEndOfTheLogEndsARequestAndKeepsWhatWasRead) {
  WriteEvents(log_.Name(), 10, "event", kMidSizeData);
  Open();
  ReadCounter reads;
  reads.FailWith = [](size_t call) -> std::optional<DWORD> {
    if (call == 1) return static_cast<DWORD>(ERROR_HANDLE_EOF);
    return std::nullopt;
  };
  ExpectNotAvailable(*eventLog_, 5);
  ASSERT_EQ(reads.Count(), 2u);
  reads.FailWith = nullptr;
  for (int i = 0; i < 5; ++i) EXPECT_EQ(TextOf(eventLog_->Objects(i)), "event " + std::to_string(i));
  EXPECT_EQ(reads.Count(), 2u);
}

TEST_F(ReadTest, AReadErrorOtherThanTheEndIsRaisedWithItsText) {
  WriteEvents(log_.Name(), 3);
  Open();
  ReadCounter reads;
  reads.FailWith = [](size_t) -> std::optional<DWORD> { return ERROR_EVENTLOG_FILE_CHANGED; };
  try {
    eventLog_->Objects(0);
    ADD_FAILURE() << "no error";
  } catch (const EOleSysError& error) {
    EXPECT_EQ(error.Message().rfind("1503: ", 0), 0u) << error.Message();
  }
}

// Whoever clears the log, a record cached before is never served as one written after: the
// component's own Clear, another process's clear with fewer records written after it than were
// cached, one with as many (the oldest record's number stays 1), and one with as many on a log
// whose records were numbered higher before.
TEST_F(ReadTest, AClearedLogIsReadAfreshWhoeverClearedIt) {
  log_.SetMaxSize(64 * 1024);
  WriteEvents(log_.Name(), 3);
  Open();
  for (int i = 0; i < 3; ++i) eventLog_->Objects(i);
  eventLog_->Clear();
  eventLog_->Add(TEventType::Error, "after the clear");
  ASSERT_EQ(eventLog_->Count(), 1);
  EXPECT_EQ(TextOf(eventLog_->Objects(0)), "after the clear");
  EXPECT_EQ(eventLog_->Objects(0).EventType(), TEventType::Error);
  EXPECT_NE(eventLog_->Items(0).find("after the clear"), std::string::npos);

  WriteEvents(log_.Name(), 2);
  for (int i = 0; i < 3; ++i) eventLog_->Objects(i);
  ASSERT_TRUE(WriteFromOtherProcess(log_.Name(), 2, true));
  EXPECT_EQ(TextOf(eventLog_->Objects(0)), "from another process 0");
  EXPECT_EQ(TextOf(eventLog_->Objects(1)), "from another process 1");
  eventLog_->Add(TEventType::Error, "mine");
  ASSERT_EQ(TextOf(eventLog_->Objects(2)), "mine");
  ASSERT_TRUE(WriteFromOtherProcess(log_.Name(), 3, true));
  ASSERT_EQ(eventLog_->Count(), 3);
  EXPECT_EQ(TextOf(eventLog_->Objects(2)), "from another process 2");

  // Past its 64 KiB the log overwrites its oldest records.
  WriteEvents(log_.Name(), 40, "large", kMidSizeData);
  eventLog_->SetActive(false);
  Open();
  const int count = eventLog_->Count();
  ASSERT_LT(count, 42);
  const std::string oldest = TextOf(eventLog_->Objects(0));
  ASSERT_EQ(oldest.rfind("large ", 0), 0u) << oldest;
  ASSERT_TRUE(WriteFromOtherProcess(log_.Name(), count, true));
  ASSERT_EQ(eventLog_->Count(), count);
  EXPECT_EQ(TextOf(eventLog_->Objects(0)), "from another process 0");
}

TEST_F(ReadTest, RecordsWrittenDuringAForwardsReadAreCachedAtTheirPositionsBeyondTheCount) {
  WriteEvents(log_.Name(), 10);
  Open();
  ReadCounter reads;
  reads.Before = [&](size_t call) {
    if (call == 0) WriteEvents(log_.Name(), 2, "late");
  };
  EXPECT_EQ(TextOf(eventLog_->Objects(0)), "event 0");
  ASSERT_EQ(reads.Count(), 1u);
  EXPECT_EQ(eventLog_->Count(), 12);
  EXPECT_EQ(TextOf(eventLog_->Objects(10)), "late 0");
  EXPECT_EQ(TextOf(eventLog_->Objects(11)), "late 1");
  EXPECT_EQ(eventLog_->Objects(11).Number(), 11);
  EXPECT_EQ(reads.Count(), 1u);
}

TEST_F(ReadTest, RecordsWrittenBeforeABackwardsReadNeverLandBeforeTheOldestPosition) {
  WriteEvents(log_.Name(), 10);
  Open();
  ReadCounter reads;
  reads.Before = [&](size_t call) {
    if (call == 0) WriteEvents(log_.Name(), 2, "late");
  };
  eventLog_->Objects(9);
  ASSERT_EQ(reads.Count(), 1u);
  // The positions counted from the newest end at 0; the two records beyond are left out.
  for (int i = 0; i < 10; ++i) EXPECT_EQ(eventLog_->Objects(i).Number(), i);
  EXPECT_EQ(reads.Count(), 1u);
}

// Gives the log `count` records "event 0" and on, written straight into its file (the service
// would take minutes), with room in its registered size for more.
void FillLog(const TestLog& log, int count) {
  evt::MemoryStorage memory;
  evt::TLogFile::Create(memory, 64 * 1024 * 1024, 0);
  const auto file = evt::TLogFile::Open(memory, false);
  evt::Record record;
  record.sourceName = u"Filler";
  record.computerName = u"HOST";
  for (int i = 0; i < count; ++i) {
    const std::string text = "event " + std::to_string(i);
    record.strings = {std::u16string(text.begin(), text.end())};
    file->Append(record);
  }
  const HANDLE out = CreateFileA(log.File().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(out, INVALID_HANDLE_VALUE);
  const TUniqueHandle owner(out);
  DWORD written = 0;
  const auto& bytes = memory.bytes();
  ASSERT_TRUE(WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  log.SetMaxSize(64 * 1024 * 1024);
}

TEST_F(ReadTest, RecordsArrivingAfterABackwardsReadAreReadByNumberAtOnce) {
  FillLog(log_, 100000);
  Open();
  ASSERT_EQ(eventLog_->Count(), 100000);
  EXPECT_EQ(TextOf(eventLog_->Objects(99999)), "event 99999");
  ASSERT_TRUE(WriteFromOtherProcess(log_.Name(), 2));
  ASSERT_EQ(eventLog_->Count(), 100002);

  ReadCounter reads;
  TEventItem& newest = eventLog_->Objects(100001);
  EXPECT_EQ(TextOf(newest), "from another process 1");
  EXPECT_EQ(newest.Number(), 100001);
  ASSERT_EQ(reads.Count(), 1u);
  EXPECT_EQ(reads.Calls()[0].flags, kSeekForwards);
  EXPECT_LT(reads.Calls()[0].bytesRead, 1000u);
  EXPECT_EQ(TextOf(eventLog_->Objects(100000)), "from another process 0");
  EXPECT_EQ(reads.Count(), 2u);

  // The backwards read goes on where it stopped, and sequentially again after one seek back.
  reads.Reset();
  EXPECT_EQ(TextOf(eventLog_->Objects(99000)), "event 99000");
  ASSERT_GE(reads.Count(), 2u);
  EXPECT_EQ(reads.Calls()[0].flags, kSeekBackwards);
  for (size_t i = 1; i < reads.Count(); ++i) EXPECT_EQ(reads.Calls()[i].flags, kBackwards);
  for (int i = 99000; i < 100002; ++i) EXPECT_EQ(eventLog_->Objects(i).Number(), i);
  EXPECT_EQ(TextOf(eventLog_->Objects(99998)), "event 99998");
}

// The sample log with its 61st record's length broken, opened as a backup: the other 120 records
// have their places, counted from either end.
TEST(DamagedBackup, EveryIntactRecordHasItsPlaceFromEitherEnd) {
  const std::string sample = CORVANE_SHARED_DIR "/data/AppEvent.Evt";
  std::ifstream in(sample, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t at = 48;
  for (int i = 1; i < 61; ++i) at += *reinterpret_cast<const uint32_t*>(bytes.data() + at);
  bytes[at + 1] ^= 0x40;
  const TestLog log("Damaged");
  const std::string damaged = log.Scratch("damaged.evt");
  std::ofstream(damaged, std::ios::binary) << bytes;

  TVEVivudAre whole(nullptr);
  whole.SetBackupFileName(sample);
  whole.SetActive(true);
  for (int first : {0, 119}) {
    TVEVivudAre reader(nullptr);
    reader.SetBackupFileName(damaged);
    reader.SetActive(true);
    ASSERT_EQ(reader.Count(), 120);
    reader.Objects(first);
    for (int i = 0; i < 120; ++i) {
      const TEventItem& expected = whole.Objects(i < 60 ? i : i + 1);
      TEventItem& item = reader.Objects(i);
      EXPECT_EQ(item.Number(), i);
      EXPECT_EQ(item.EventId(), expected.EventId()) << i;
      EXPECT_EQ(item.TimeWritten(), expected.TimeWritten()) << i;
    }
  }
}

}  // namespace
}  // namespace corvane
