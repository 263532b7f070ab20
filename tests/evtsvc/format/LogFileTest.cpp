// LogFile: creating, appending, growing, wrapping, retention, clearing, copying and seeing what
// another writer did.
#include <gtest/gtest.h>

#include "EvtBytes.h"
#include "EvtFile.h"
#include "EvtLayout.h"
#include "EvtTestSupport.h"

namespace corvane::evt {
namespace {

using test::MakeRecord;
using test::Numbers;
using test::Range;
using test::ReadBackwards;
using test::ReadForwards;

// The records a log should hold: what was appended, numbered.
std::vector<Record> Expected(std::vector<Record> appended, uint32_t firstNumber) {
  for (auto& record : appended) record.recordNumber = firstNumber++;
  return appended;
}

TEST(LogFileCreate, GivesAnEmptyLogOfOneStep) {
  MemoryStorage storage = test::NewLog(100'000, 3600);
  EXPECT_EQ(storage.Size(), kSizeStep) << "the file starts small and grows";
  auto log = TLogFile::Open(storage, false);
  EXPECT_EQ(log->Count(), 0u);
  EXPECT_EQ(log->OldestRecordNumber(), 0u);
  EXPECT_EQ(log->header().currentRecordNumber, 1u);
  EXPECT_EQ(log->header().maxSize, 2 * kSizeStep) << "rounded up to whole steps";
  EXPECT_EQ(log->header().retention, 3600u);
  EXPECT_EQ(log->header().flags, 0u);
  EXPECT_TRUE(log->RecordBytes(1).empty());
}

TEST(LogFileAppend, NumbersRecordsAndReadsThemBothWays) {
  MemoryStorage storage = test::NewLog();
  std::vector<Record> appended;
  {
    auto log = TLogFile::Open(storage, false);
    for (uint32_t i = 0; i < 20; ++i) {
      appended.push_back(MakeRecord(i, i * 7));
      EXPECT_EQ(log->Append(appended.back()), i + 1);
    }
    EXPECT_EQ(ReadForwards(*log), Expected(appended, 1));
  }
  auto log = TLogFile::Open(storage, true);
  EXPECT_EQ(log->Count(), 20u);
  EXPECT_EQ(log->OldestRecordNumber(), 1u);
  EXPECT_EQ(ReadForwards(*log), Expected(appended, 1)) << "after reopening";
  auto backwards = ReadBackwards(*log);
  std::reverse(backwards.begin(), backwards.end());
  EXPECT_EQ(backwards, Expected(appended, 1));
  EXPECT_EQ(storage.bytes()[36] & kFlagDirty, 0) << "a finished append leaves the header clean";
}

TEST(LogFileAppend, SetsNumberAndClosingNumberItself) {
  MemoryStorage storage = test::NewLog();
  auto log = TLogFile::Open(storage, false);
  Record record = MakeRecord(4);
  record.recordNumber = 999;
  record.closingRecordNumber = 5;
  log->Append(record);
  const auto stored = ReadForwards(*log).at(0);
  EXPECT_EQ(stored.recordNumber, 1u);
  EXPECT_EQ(stored.closingRecordNumber, 0u);
}

TEST(LogFileAppend, GrowsInStepsUpToTheMaximumBeforeWrapping) {
  MemoryStorage storage = test::NewLog(4 * kSizeStep);
  auto log = TLogFile::Open(storage, false);
  std::vector<uint64_t> sizes{storage.Size()};
  uint32_t appended = 0;
  while (log->OldestRecordNumber() <= 1) {
    log->Append(MakeRecord(appended++, 900));
    if (storage.Size() != sizes.back()) sizes.push_back(storage.Size());
  }
  EXPECT_EQ(sizes, (std::vector<uint64_t>{kSizeStep, 2 * kSizeStep, 3 * kSizeStep, 4 * kSizeStep}));
  EXPECT_TRUE(log->header().flags & kFlagWrapped);
  EXPECT_EQ(log->header().currentRecordNumber, appended + 1);
  EXPECT_EQ(Numbers(ReadForwards(*log)), Range(log->OldestRecordNumber(), appended));
}

// A record that reaches the end of the file is split there and goes on after the header, as the
// system writes it; no padding is left. Every state reopens to the same records.
TEST(LogFileAppend, WrapsBySplittingTheRecordAtTheEndOfTheFile) {
  MemoryStorage storage = test::NewLog(kSizeStep);
  auto log = TLogFile::Open(storage, false);
  std::vector<Record> appended;
  int wraps = 0;
  for (uint32_t i = 0; i < 3000 && wraps < 40; ++i) {
    const uint32_t at = log->header().endOffset;
    appended.push_back(MakeRecord(i, (i * 37) % 1500));
    const uint32_t length = static_cast<uint32_t>(EncodeRecord(appended.back()).size());
    log->Append(appended.back());
    const uint32_t end = log->header().endOffset;
    if (end > at) continue;
    ++wraps;
    EXPECT_EQ(end, at + length - (storage.Size() - kHeaderSize)) << "split at the end of the file";
    auto reopened = TLogFile::Open(storage, true);
    const uint32_t oldest = reopened->OldestRecordNumber();
    const std::vector<Record> kept(appended.end() - reopened->Count(), appended.end());
    EXPECT_EQ(ReadForwards(*reopened), Expected(kept, oldest)) << "after record " << i + 1;
    auto backwards = ReadBackwards(*reopened);
    std::reverse(backwards.begin(), backwards.end());
    EXPECT_EQ(backwards, Expected(kept, oldest));
  }
  EXPECT_EQ(wraps, 40);
  EXPECT_EQ(storage.Size(), kSizeStep);
}

TEST(LogFileRetention, ForeverRefusesAndMarksTheLogFull) {
  MemoryStorage storage = test::NewLog(kSizeStep, kRetainForever);
  auto log = TLogFile::Open(storage, false);
  uint32_t appended = 0;
  try {
    for (;; ++appended) log->Append(MakeRecord(appended, 500));
  } catch (const TLogFull&) {
  }
  ASSERT_GT(appended, 10u);
  EXPECT_EQ(log->Count(), appended);
  EXPECT_EQ(log->OldestRecordNumber(), 1u);
  EXPECT_TRUE(log->header().flags & kFlagLogFull);
  auto reopened = TLogFile::Open(storage, true);
  EXPECT_TRUE(reopened->header().flags & kFlagLogFull);
  EXPECT_EQ(Numbers(ReadForwards(*reopened)), Range(1, appended)) << "nothing was overwritten";
}

TEST(LogFileRetention, OverwritesOnlyRecordsOlderThanTheRetention) {
  const uint32_t t0 = 1'600'000'000;
  MemoryStorage storage = test::NewLog(kSizeStep, 100);
  auto log = TLogFile::Open(storage, false);
  uint32_t appended = 0;
  for (;; ++appended) {
    try {
      log->Append(MakeRecord(appended, 500, t0));
    } catch (const TLogFull&) {
      break;
    }
  }
  EXPECT_EQ(log->OldestRecordNumber(), 1u);
  // 100 seconds after the oldest: still kept. 101 seconds: old enough to go.
  EXPECT_THROW(log->Append(MakeRecord(1, 500, t0 + 100)), TLogFull);
  EXPECT_EQ(log->Count(), appended);
  const uint32_t number = log->Append(MakeRecord(1, 500, t0 + 101));
  EXPECT_EQ(number, appended + 1);
  EXPECT_GT(log->OldestRecordNumber(), 1u);
  EXPECT_FALSE(log->header().flags & kFlagLogFull) << "cleared by a successful append";
}

TEST(LogFileRetention, ZeroOverwritesAsNeeded) {
  MemoryStorage storage = test::NewLog(kSizeStep, 0);
  auto log = TLogFile::Open(storage, false);
  for (uint32_t i = 0; i < 500; ++i) log->Append(MakeRecord(i, 500));
  EXPECT_GT(log->OldestRecordNumber(), 300u);
  EXPECT_EQ(Numbers(ReadForwards(*log)), Range(log->OldestRecordNumber(), 500));
}

TEST(LogFileAppend, RecordLargerThanTheLogIsRefusedWithoutLosingAnything) {
  MemoryStorage storage = test::NewLog(kSizeStep, 0);
  auto log = TLogFile::Open(storage, false);
  for (uint32_t i = 0; i < 5; ++i) log->Append(MakeRecord(i));
  const auto before = storage.bytes();
  EXPECT_THROW(log->Append(MakeRecord(9, kSizeStep)), TLogFull);
  EXPECT_EQ(Numbers(ReadForwards(*log)), Range(1, 5));
  auto reopened = TLogFile::Open(storage, true);
  EXPECT_EQ(Numbers(ReadForwards(*reopened)), Range(1, 5));
}

// Dropping every record for one that takes nearly the whole log.
TEST(LogFileAppend, RecordFillingTheLogReplacesAllOthers) {
  MemoryStorage storage = test::NewLog(kSizeStep, 0);
  auto log = TLogFile::Open(storage, false);
  for (uint32_t i = 0; i < 5; ++i) log->Append(MakeRecord(i, 3000));
  const Record big = MakeRecord(20, kSizeStep - kHeaderSize - kEofRecordSize - 200);
  EXPECT_EQ(log->Append(big), 6u);
  EXPECT_EQ(log->Count(), 1u);
  EXPECT_EQ(ReadForwards(*TLogFile::Open(storage, true)), Expected({big}, 6));
}

TEST(LogFileClear, EmptiesAndKeepsTheSizeSettings) {
  MemoryStorage storage = test::NewLog(3 * kSizeStep, 777);
  auto log = TLogFile::Open(storage, false);
  for (uint32_t i = 0; i < 400; ++i) log->Append(MakeRecord(i, 600, 1'600'000'000 + i * 1000));
  ASSERT_GT(storage.Size(), kSizeStep);
  log->Clear();
  EXPECT_EQ(log->Count(), 0u);
  EXPECT_EQ(log->OldestRecordNumber(), 0u);
  EXPECT_EQ(storage.Size(), kSizeStep);
  auto reopened = TLogFile::Open(storage, false);
  EXPECT_EQ(reopened->Count(), 0u);
  EXPECT_EQ(reopened->header().maxSize, 3 * kSizeStep);
  EXPECT_EQ(reopened->header().retention, 777u);
  EXPECT_EQ(reopened->header().flags, 0u);
  EXPECT_EQ(reopened->Append(MakeRecord(1)), 1u) << "numbering starts again";
}

// The source's header is stale and dirty, as a crash leaves it; the copy's is right and clean.
TEST(LogFileCopy, GivesACleanCopyWithTheSameRecords) {
  MemoryStorage storage = test::NewLog(kSizeStep, 0);
  std::vector<uint8_t> staleHeader;
  {
    auto log = TLogFile::Open(storage, false);
    for (uint32_t i = 0; i < 300; ++i) {
      log->Append(MakeRecord(i, 300));
      if (i == 250) staleHeader.assign(storage.bytes().begin(), storage.bytes().begin() + 48);
    }
  }
  staleHeader[36] |= kFlagDirty;
  storage.Write(0, staleHeader.data(), staleHeader.size());
  auto source = TLogFile::Open(storage, true);
  ASSERT_EQ(source->header().currentRecordNumber, 301u);

  MemoryStorage copy(std::vector<uint8_t>(10, 0xAA));
  source->CopyTo(copy);
  EXPECT_EQ(copy.Size(), storage.Size());
  EXPECT_EQ(copy.bytes()[36] & kFlagDirty, 0);
  auto copied = TLogFile::Open(copy, true);
  Header expected = source->header();
  expected.startOffset = kHeaderSize;  // the copy's records do not wrap
  expected.endOffset = copied->header().endOffset;
  EXPECT_EQ(copied->header(), expected);
  EXPECT_EQ(ReadForwards(*copied), ReadForwards(*source));
  EXPECT_EQ(layout::DecodeHeader(copy.bytes().data()), expected)
      << "the stored header itself is current";
}

TEST(LogFileRefresh, SeesAppendsWrapsAndClearsOfAnotherWriter) {
  MemoryStorage storage = test::NewLog(2 * kSizeStep, 0);
  auto writer = TLogFile::Open(storage, false);
  auto reader = TLogFile::Open(storage, true);
  for (uint32_t i = 0; i < 10; ++i) writer->Append(MakeRecord(i, 100));
  EXPECT_EQ(reader->Count(), 0u) << "nothing is seen before Refresh";
  reader->Refresh();
  EXPECT_EQ(ReadForwards(*reader), ReadForwards(*writer));

  for (uint32_t i = 0; i < 600; ++i) writer->Append(MakeRecord(i, 700));  // grows, then wraps
  reader->Refresh();
  EXPECT_GT(reader->OldestRecordNumber(), 1u);
  EXPECT_EQ(reader->header(), writer->header());
  EXPECT_EQ(ReadForwards(*reader), ReadForwards(*writer));

  writer->Clear();
  for (uint32_t i = 0; i < 3; ++i) writer->Append(MakeRecord(i));
  reader->Refresh();
  EXPECT_EQ(Numbers(ReadForwards(*reader)), Range(1, 3));
  EXPECT_EQ(ReadForwards(*reader), ReadForwards(*writer));
}

// Two writers taking turns, as two processes do under the service's lock.
TEST(LogFileRefresh, TwoWritersTakingTurnsLoseNothing) {
  MemoryStorage storage = test::NewLog(8 * kSizeStep, 0);
  auto first = TLogFile::Open(storage, false);
  auto second = TLogFile::Open(storage, false);
  for (uint32_t i = 0; i < 400; ++i) {
    TLogFile& writer = i % 2 ? *second : *first;
    writer.Refresh();
    EXPECT_EQ(writer.Append(MakeRecord(i, i % 50)), i + 1);
  }
  auto log = TLogFile::Open(storage, true);
  EXPECT_EQ(Numbers(ReadForwards(*log)), Range(1, 400));
}

// Another process cleared the log and wrote records of other lengths; the reader's old offsets
// must not be trusted just because the numbers line up.
TEST(LogFileRefresh, ClearAndRefillWithOtherLengthsIsNotMistakenForAppends) {
  MemoryStorage storage = test::NewLog(kSizeStep, 0);
  auto writer = TLogFile::Open(storage, false);
  auto reader = TLogFile::Open(storage, true);
  writer->Append(MakeRecord(1, 100));
  writer->Append(MakeRecord(2, 300));
  reader->Refresh();
  writer->Clear();
  std::vector<Record> refill{MakeRecord(2, 300), MakeRecord(1, 100), MakeRecord(3, 50)};
  for (const auto& record : refill) writer->Append(record);
  reader->Refresh();
  EXPECT_EQ(ReadForwards(*reader), Expected(refill, 1));
}

TEST(LogFileLimits, SetLimitsRoundsAndPersists) {
  MemoryStorage storage = test::NewLog(kSizeStep, 0);
  auto log = TLogFile::Open(storage, false);
  log->Append(MakeRecord(1));
  log->SetLimits(5 * kSizeStep - 1, 60);
  auto reopened = TLogFile::Open(storage, true);
  EXPECT_EQ(reopened->header().maxSize, 5 * kSizeStep);
  EXPECT_EQ(reopened->header().retention, 60u);
  EXPECT_EQ(reopened->Count(), 1u);
}

// A smaller maximum does not cut a grown file: it keeps wrapping at its present size.
TEST(LogFileLimits, SmallerMaximumKeepsTheGrownFile) {
  MemoryStorage storage = test::NewLog(3 * kSizeStep, 0);
  auto log = TLogFile::Open(storage, false);
  for (uint32_t i = 0; i < 100; ++i) log->Append(MakeRecord(i, 1000));
  const uint64_t grown = storage.Size();
  ASSERT_GT(grown, kSizeStep);
  log->SetLimits(kSizeStep, 0);
  for (uint32_t i = 0; i < 400; ++i) log->Append(MakeRecord(i, 1000));
  EXPECT_EQ(storage.Size(), grown);
  EXPECT_EQ(Numbers(ReadForwards(*TLogFile::Open(storage, true))),
            Range(log->OldestRecordNumber(), 500));
}

}  // namespace
}  // namespace corvane::evt
