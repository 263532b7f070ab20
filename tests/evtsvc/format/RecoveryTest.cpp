// Opening logs whose header is stale, small or odd files, and damaged files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

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

// A log of `records` appends, with the header put back as it was after `staleAfter` of them
// and marked dirty: what the system leaves when it stops without writing its header.
MemoryStorage StaleLog(uint32_t records, uint32_t staleAfter, size_t size) {
  MemoryStorage storage = test::NewLog(kSizeStep, 0);
  std::vector<uint8_t> stale;
  auto log = TLogFile::Open(storage, false);
  for (uint32_t i = 0; i < records; ++i) {
    if (i == staleAfter) stale.assign(storage.bytes().begin(), storage.bytes().begin() + 48);
    log->Append(MakeRecord(i, size));
  }
  stale[36] |= kFlagDirty;
  storage.Write(0, stale.data(), stale.size());
  return storage;
}

void SaveSeed(const MemoryStorage& storage, const std::string& name) {
  TFileStorage file(test::OutputFolder() + "/" + name, TFileStorage::TMode::Create);
  file.Write(0, storage.bytes().data(), storage.bytes().size());
}

TEST(LogRecovery, StaleHeaderWithinOneRoundIsFollowedToTheEndOfFileRecord) {
  MemoryStorage storage = StaleLog(30, 10, 200);
  auto log = TLogFile::Open(storage, true);
  EXPECT_EQ(Numbers(ReadForwards(*log)), Range(1, 30));
  SaveSeed(storage, "stale-dirty.evt");
}

// The log went round more than once since the header was written, so its end offset now lies
// inside a record: the end-of-file record is found by scanning.
TEST(LogRecovery, HeaderStaleByMoreThanARoundIsFoundByScanning) {
  MemoryStorage storage = StaleLog(600, 100, 300);
  const auto header = layout::DecodeHeader(storage.bytes().data());
  auto log = TLogFile::Open(storage, true);
  EXPECT_EQ(log->header().currentRecordNumber, 601u);
  EXPECT_GT(log->OldestRecordNumber(), header.currentRecordNumber);
  EXPECT_EQ(Numbers(ReadForwards(*log)), Range(log->OldestRecordNumber(), 600));
}

// A clean header is believed only as far as its records walk: a header whose offsets do not
// lead to records is refused, not read past.
TEST(LogRecovery, HeaderOffsetsOutsideTheFileAreNotFollowed) {
  MemoryStorage storage = test::NewLog();
  {
    auto log = TLogFile::Open(storage, false);
    for (uint32_t i = 0; i < 5; ++i) log->Append(MakeRecord(i));
  }
  for (uint32_t field : {16u, 20u}) {
    for (uint32_t value : {0u, 47u, 0x10000u, 0xFFFFFFFFu}) {
      MemoryStorage damaged(storage.bytes());
      uint8_t word[4];
      bytes::Store32(word, value);
      damaged.Write(field, word, 4);
      // The end-of-file record is still found by scanning, so the log still reads.
      auto log = TLogFile::Open(damaged, true);
      EXPECT_EQ(Numbers(ReadForwards(*log)), Range(1, 5)) << field << " = " << value;
    }
  }
}

// A file written with a maximum below a step wraps at its own size.
TEST(LogRecovery, SmallFileWrapsAtItsOwnSize) {
  for (uint32_t size : {512u, 1000u, 2048u}) {
    MemoryStorage storage = test::NewLog();
    storage.Resize(size);
    Header header;
    header.maxSize = size;
    const auto raw = layout::EncodeHeader(header);
    storage.Write(0, raw.data(), raw.size());
    auto log = TLogFile::Open(storage, false);
    for (uint32_t i = 0; i < 40; ++i) log->Append(MakeRecord(i, i % 9));
    EXPECT_EQ(storage.Size(), size);
    auto reopened = TLogFile::Open(storage, true);
    EXPECT_EQ(reopened->header().currentRecordNumber, 41u);
    EXPECT_EQ(Numbers(ReadForwards(*reopened)), Range(reopened->OldestRecordNumber(), 40));
    SaveSeed(storage, "small-" + std::to_string(size) + ".evt");
  }
}

// The same log with every byte of its ring moved `shift` bytes on, round the end of the file,
// and its offsets with them: records and end-of-file record end up split at the end of the file,
// as the system leaves them.
MemoryStorage Rotated(const MemoryStorage& log, uint32_t shift) {
  const auto& bytes = log.bytes();
  const uint32_t capacity = static_cast<uint32_t>(bytes.size()) - kHeaderSize;
  std::vector<uint8_t> moved(bytes.size());
  for (uint32_t i = 0; i < capacity; ++i) {
    moved[kHeaderSize + (i + shift) % capacity] = bytes[kHeaderSize + i];
  }
  MemoryStorage rotated(std::move(moved));
  Header header = layout::DecodeHeader(bytes.data());
  auto move = [&](uint32_t offset) { return kHeaderSize + (offset - kHeaderSize + shift) % capacity; };
  header.startOffset = move(header.startOffset);
  header.endOffset = move(header.endOffset);
  header.flags |= kFlagWrapped;
  const auto raw = layout::EncodeHeader(header);
  rotated.Write(0, raw.data(), raw.size());
  const auto eof = layout::EncodeEof(layout::ExtentOf(header));
  layout::TRing ring(rotated, static_cast<uint32_t>(rotated.Size()));
  layout::WriteRing(rotated, ring, header.endOffset, eof.data(), eof.size());
  return rotated;
}

// Files written before records were split at the end of the file leave zeros from the last
// record that fits to the end, and the next record after the header: still read, and appended to.
TEST(LogRecovery, PaddingBeforeTheEndOfTheFileIsReadAndAppendedAfter) {
  std::vector<uint8_t> bytes(kSizeStep, 0);
  std::vector<Record> written;
  const uint32_t start = kSizeStep - 3000;
  uint32_t at = start;
  for (uint32_t number = 1; number <= 6; ++number) {
    Record record = MakeRecord(number, 700);
    record.recordNumber = number;
    const std::vector<uint8_t> encoded = EncodeRecord(record);
    if (at > kHeaderSize && at + encoded.size() > kSizeStep) at = kHeaderSize;  // the rest is padding
    std::copy(encoded.begin(), encoded.end(), bytes.begin() + at);
    at += static_cast<uint32_t>(encoded.size());
    written.push_back(record);
  }
  ASSERT_LT(at, start) << "the newest records lie after the header";
  MemoryStorage storage(std::move(bytes));
  Header header;
  header.startOffset = start;
  header.endOffset = at;
  header.currentRecordNumber = 7;
  header.oldestRecordNumber = 1;
  header.maxSize = kSizeStep;
  header.flags = kFlagWrapped;
  const auto raw = layout::EncodeHeader(header);
  storage.Write(0, raw.data(), raw.size());
  const auto eof = layout::EncodeEof(layout::ExtentOf(header));
  storage.Write(at, eof.data(), eof.size());

  auto log = TLogFile::Open(storage, false);
  ASSERT_EQ(ReadForwards(*log), written);
  Record next = MakeRecord(7, 50);
  ASSERT_EQ(log->Append(next), 7u);
  next.recordNumber = 7;
  written.push_back(next);
  EXPECT_EQ(ReadForwards(*TLogFile::Open(storage, true)), written);
}

TEST(LogRecovery, RecordsAndEndOfFileRecordSplitAtTheEndOfTheFileAreRead) {
  MemoryStorage storage = test::NewLog();
  std::vector<Record> appended;
  {
    auto log = TLogFile::Open(storage, false);
    for (uint32_t i = 0; i < 12; ++i) {
      appended.push_back(MakeRecord(i, i * 5));
      log->Append(appended.back());
    }
  }
  const auto original = ReadForwards(*TLogFile::Open(storage, true));
  const uint32_t end = layout::DecodeHeader(storage.bytes().data()).endOffset;
  const uint32_t capacity = kSizeStep - kHeaderSize;
  int splitRecords = 0, splitEofs = 0;
  // Shifts that put every byte of the records and the end-of-file record at the wrap point.
  for (uint32_t shift = capacity - (end + kEofRecordSize - kHeaderSize); shift <= capacity;
       shift += 4) {
    SCOPED_TRACE("shift " + std::to_string(shift));
    MemoryStorage rotated = Rotated(storage, shift % capacity);
    const Header header = layout::DecodeHeader(rotated.bytes().data());
    if (header.endOffset + kEofRecordSize > kSizeStep) {
      ++splitEofs;
    } else if (header.endOffset < header.startOffset) {
      ++splitRecords;
    }
    auto log = TLogFile::Open(rotated, false);
    ASSERT_EQ(ReadForwards(*log), original);
    auto backwards = ReadBackwards(*log);
    std::reverse(backwards.begin(), backwards.end());
    ASSERT_EQ(backwards, original);
    // Appending goes on after the split end-of-file record.
    const Record next = MakeRecord(50, 7);
    ASSERT_EQ(log->Append(next), 13u);
    auto reopened = TLogFile::Open(rotated, true);
    auto expected = original;
    expected.push_back(next);
    expected.back().recordNumber = 13;
    ASSERT_EQ(ReadForwards(*reopened), expected);
  }
  EXPECT_EQ(splitEofs, 9);
  EXPECT_GT(splitRecords, 100);
}

// 0 marks an empty log, so a header numbering from 0 starts at 1, and numbers stop rather than
// wrap round after 0xFFFFFFFF.
TEST(LogRecovery, RecordNumbersNeverBecomeZero) {
  for (uint32_t current : {0u, 0xFFFFFFFFu}) {
    MemoryStorage storage = test::NewLog();
    Header header;
    header.maxSize = kSizeStep;
    header.currentRecordNumber = current;
    const auto raw = layout::EncodeHeader(header);
    storage.Write(0, raw.data(), raw.size());
    const auto eof = layout::EncodeEof(layout::ExtentOf(header));
    storage.Write(kHeaderSize, eof.data(), eof.size());
    auto log = TLogFile::Open(storage, false);
    ASSERT_EQ(log->header().currentRecordNumber, current);
    const uint32_t first = current == 0 ? 1 : current;
    EXPECT_EQ(log->Append(MakeRecord(1)), first);
    if (current == 0) continue;
    EXPECT_THROW(log->Append(MakeRecord(2)), TLogFull);
    auto reopened = TLogFile::Open(storage, true);
    EXPECT_EQ(reopened->Count(), 1u);
    EXPECT_EQ(reopened->header().currentRecordNumber, 0u);
    EXPECT_EQ(ReadForwards(*reopened).at(0).recordNumber, first);
  }
}

TEST(LogDamage, FilesThatAreNoLogAreRefused) {
  const MemoryStorage good = test::NewLog();
  EXPECT_THROW(TLogFile::Open(*std::make_unique<MemoryStorage>(), true), TCorruptLog);
  for (size_t cut : {0, 10, 47, 48, 87}) {
    MemoryStorage cutShort(std::vector<uint8_t>(good.bytes().begin(), good.bytes().begin() + cut));
    EXPECT_THROW(TLogFile::Open(cutShort, true), TCorruptLog) << "cut to " << cut;
  }
  for (size_t at : {0, 4, 8, 12, 44}) {
    MemoryStorage damaged(good.bytes());
    uint8_t x = damaged.bytes()[at] ^ 0x40;
    damaged.Write(at, &x, 1);
    EXPECT_THROW(TLogFile::Open(damaged, true), TCorruptLog) << "header byte " << at;
  }
}

// The second of 20 records with its frame broken in each way it can be, and the fourth with its
// signature broken: a read-only open reads the other 18, in order both ways, and leaves the file
// as it was, and a copy of it reads the same; an open for changes refuses.
TEST(LogDamage, ARecordWithABrokenFrameIsLeftOutOfAReadOnlyOpen) {
  MemoryStorage storage = test::NewLog();
  {
    auto log = TLogFile::Open(storage, false);
    for (uint32_t i = 0; i < 20; ++i) log->Append(MakeRecord(i, 30));
  }
  const std::vector<uint32_t> offsets = test::RecordOffsets(storage);
  const uint32_t second = offsets[1];
  const uint32_t length = bytes::Load32(&storage.bytes()[second]);
  storage.Write(offsets[3] + 4, "LfLx", 4);
  std::vector<uint32_t> others = Range(1, 20);
  others.erase(others.begin() + 3);
  others.erase(others.begin() + 1);
  const std::pair<uint32_t, uint32_t> damages[] = {
      {second, length + 4}, {second, 0x1000}, {second, 0},  // leading length
      {second + 4, 0x12345678},                             // signature
      {second + 8, 7},                                      // number out of sequence
      {second + length - 4, length - 4}};                   // closing length
  for (const auto& [at, value] : damages) {
    SCOPED_TRACE("word at " + std::to_string(at) + " = " + std::to_string(value));
    MemoryStorage damaged(storage.bytes());
    uint8_t word[4];
    bytes::Store32(word, value);
    damaged.Write(at, word, 4);
    const std::vector<uint8_t> before = damaged.bytes();
    auto log = TLogFile::Open(damaged, true);
    EXPECT_EQ(Numbers(ReadForwards(*log)), others);
    auto backwards = Numbers(ReadBackwards(*log));
    std::reverse(backwards.begin(), backwards.end());
    EXPECT_EQ(backwards, others);
    EXPECT_FALSE(log->Holds(2));
    EXPECT_TRUE(log->RecordBytes(2).empty());
    MemoryStorage copy;
    log->CopyTo(copy);
    EXPECT_EQ(Numbers(ReadForwards(*TLogFile::Open(copy, true))), others);
    EXPECT_THROW(TLogFile::Open(damaged, false), TCorruptLog);
    EXPECT_EQ(damaged.bytes(), before);
  }
}

// Broken signatures at the oldest record, the one split at the end of the file and the newest
// of a wrapped log: each loses only itself.
TEST(LogDamage, DamageAnywhereInAWrappedLogLosesOnlyTheRecordsItHit) {
  MemoryStorage storage = test::NewLog();
  {
    auto log = TLogFile::Open(storage, false);
    for (uint32_t i = 0; i < 400 || log->header().endOffset >= log->header().startOffset; ++i) {
      log->Append(MakeRecord(i, i % 90));
    }
  }
  const auto all = Numbers(ReadForwards(*TLogFile::Open(storage, true)));
  const std::vector<uint32_t> offsets = test::RecordOffsets(storage);
  ASSERT_EQ(offsets.size(), all.size());
  const layout::TRing ring(storage, static_cast<uint32_t>(storage.Size()));
  size_t split = 0;
  while (split < offsets.size() &&
         uint64_t{offsets[split]} + ring.Read32(offsets[split]) <= storage.Size()) {
    ++split;
  }
  ASSERT_LT(split, offsets.size()) << "a record goes round the end of the file";
  for (size_t broken : {size_t{0}, split, offsets.size() - 1}) {
    SCOPED_TRACE("record " + std::to_string(all[broken]));
    MemoryStorage damaged(storage.bytes());
    const uint8_t zero[4] = {};
    layout::WriteRing(damaged, ring, ring.Advance(offsets[broken], 4), zero, sizeof zero);
    std::vector<uint32_t> expected = all;
    expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(broken));
    EXPECT_EQ(Numbers(ReadForwards(*TLogFile::Open(damaged, true))), expected);
  }
}

// Random damage anywhere in a wrapped log: the open either fails cleanly or gives records that
// read; the sanitizers watch for reads outside the file.
TEST(LogDamage, RandomDamageNeverEscapesAsAnythingButCorruptLog) {
  MemoryStorage storage = test::NewLog(kSizeStep, 0);
  {
    auto log = TLogFile::Open(storage, false);
    for (uint32_t i = 0; i < 300; ++i) log->Append(MakeRecord(i, i % 400));
  }
  std::mt19937 random(1234);
  int opened = 0;
  for (int round = 0; round < 300; ++round) {
    MemoryStorage damaged(storage.bytes());
    const int changes = 1 + round % 8;
    for (int c = 0; c < changes; ++c) {
      const uint32_t at = random() % damaged.Size();
      uint8_t value = static_cast<uint8_t>(random());
      damaged.Write(at, &value, 1);
    }
    try {
      auto log = TLogFile::Open(damaged, true);
      ++opened;
      for (uint32_t i = 0; i < log->Count(); ++i) {
        const auto bytes = log->RecordBytes(log->NumberAt(i));
        ASSERT_FALSE(bytes.empty());
        try {
          DecodeRecord(bytes.data(), bytes.size());
        } catch (const TCorruptLog&) {
        }
      }
    } catch (const TCorruptLog&) {
    }
  }
  EXPECT_GT(opened, 100) << "most single-byte damage lands in record contents";
}

TEST(TStorage, MemoryStorageRefusesReadsPastItsEnd) {
  MemoryStorage storage(std::vector<uint8_t>(100, 1));
  uint8_t buffer[8];
  EXPECT_NO_THROW(storage.Read(92, buffer, 8));
  EXPECT_THROW(storage.Read(93, buffer, 8), TCorruptLog);
  EXPECT_THROW(storage.Read(UINT64_MAX - 2, buffer, 8), TCorruptLog);
  storage.Write(150, buffer, 8);
  EXPECT_EQ(storage.Size(), 158u) << "writing past the end extends";
}

TEST(TStorage, FileStorageReadsWritesAndResizes) {
  const std::string path = test::OutputFolder() + "/storage-test.bin";
  {
    TFileStorage file(path, TFileStorage::TMode::Create);
    EXPECT_EQ(file.Size(), 0u);
    const uint8_t data[] = {1, 2, 3, 4};
    file.Write(10, data, 4);
    EXPECT_EQ(file.Size(), 14u);
    file.Resize(6);
    EXPECT_EQ(file.Size(), 6u);
    file.Resize(70000);
    file.Flush();
  }
  EXPECT_EQ(std::filesystem::file_size(path), 70000u);
  TFileStorage file(path, TFileStorage::TMode::ReadOnly);
  uint8_t buffer[4] = {9, 9, 9, 9};
  file.Read(69996, buffer, 4);
  EXPECT_EQ(buffer[0], 0);
  EXPECT_THROW(file.Read(69997, buffer, 4), TCorruptLog);
  EXPECT_THROW(file.Write(0, buffer, 4), std::system_error);
  EXPECT_THROW(TFileStorage(test::OutputFolder() + "/missing.evt", TFileStorage::TMode::ReadOnly),
               std::system_error);
}

}  // namespace
}  // namespace corvane::evt
