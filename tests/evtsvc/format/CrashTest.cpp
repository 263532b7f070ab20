// A crash after any single write of a change leaves a file that opens, holding either the log
// before the change or the log after it (an append that drops old records may also stop with
// them dropped and the new record not yet there).
#include <gtest/gtest.h>

#include <functional>

#include "EvtFile.h"
#include "EvtTestSupport.h"

namespace corvane::evt {
namespace {

using test::MakeRecord;
using test::ReadForwards;

struct TCrash {};

// Passes writes through until its budget is spent; the next write or resize never happens (or,
// when `torn`, only its first half does) and the "process" dies.
class TCrashingStorage final : public TStorage {
 public:
  TCrashingStorage(MemoryStorage& inner, int budget, bool torn)
      : inner_(inner), budget_(budget), torn_(torn) {}
  uint64_t Size() const override { return inner_.Size(); }
  void Read(uint64_t offset, void* buffer, size_t count) const override {
    inner_.Read(offset, buffer, count);
  }
  void Write(uint64_t offset, const void* data, size_t count) override {
    if (Spend()) {
      if (torn_) inner_.Write(offset, data, count / 2);
      throw TCrash{};
    }
    inner_.Write(offset, data, count);
  }
  void Resize(uint64_t size) override {
    if (Spend()) throw TCrash{};
    inner_.Resize(size);
  }
  void Flush() override {}

 private:
  bool Spend() { return budget_-- == 0; }
  MemoryStorage& inner_;
  int budget_;
  bool torn_;
};

using Change = std::function<void(TLogFile&)>;

// Runs `change` on a copy of `base` once for every write it can crash at; each crashed file must
// reopen as an acceptable log and take a further append.
void CrashEverywhere(const MemoryStorage& base, const Change& change, bool torn,
                     bool appends = true) {
  MemoryStorage finished(base.bytes());
  auto before = ReadForwards(*TLogFile::Open(finished, true));
  {
    auto log = TLogFile::Open(finished, false);
    change(*log);
  }
  const auto after = ReadForwards(*TLogFile::Open(finished, true));

  for (int budget = 0;; ++budget) {
    SCOPED_TRACE("crash at write " + std::to_string(budget) + (torn ? " (torn)" : ""));
    MemoryStorage file(base.bytes());
    TCrashingStorage crashing(file, budget, torn);
    bool crashed = false;
    try {
      auto log = TLogFile::Open(crashing, false);
      change(*log);
    } catch (const TCrash&) {
      crashed = true;
    }
    std::unique_ptr<TLogFile> reopened;
    ASSERT_NO_THROW(reopened = TLogFile::Open(file, false));
    const auto found = ReadForwards(*reopened);
    if (!crashed) {
      EXPECT_EQ(found, after);
      ASSERT_GT(budget, 1) << "the change wrote nothing";
      return;
    }
    // Before or after; an append may also stop with the oldest records it overwrites gone and
    // the new one not there yet.
    const bool dropped = appends && !after.empty() &&
                         found == std::vector<Record>(after.begin(), after.end() - 1);
    EXPECT_TRUE(found == before || found == after || dropped)
        << "holds " << found.size() << " records, before " << before.size() << ", after "
        << after.size();
    const uint32_t next = reopened->header().currentRecordNumber;
    EXPECT_EQ(reopened->Append(MakeRecord(99)), next);
    const auto later = ReadForwards(*TLogFile::Open(file, true));
    ASSERT_FALSE(later.empty());
    EXPECT_EQ(later.back().recordNumber, next);
  }
}

MemoryStorage LogWith(uint32_t records, size_t size, uint32_t maxSize = kSizeStep) {
  MemoryStorage storage = test::NewLog(maxSize, 0);
  auto log = TLogFile::Open(storage, false);
  for (uint32_t i = 0; i < records; ++i) log->Append(MakeRecord(i, size));
  return storage;
}

class TCrashSafety : public ::testing::TestWithParam<bool> {};

TEST_P(TCrashSafety, AppendIntoFreeSpace) {
  CrashEverywhere(LogWith(5, 100), [](TLogFile& log) { log.Append(MakeRecord(7, 50)); }, GetParam());
}

TEST_P(TCrashSafety, AppendThatGrowsTheFile) {
  MemoryStorage base = LogWith(50, 1000, 2 * kSizeStep);
  ASSERT_EQ(base.Size(), kSizeStep);
  CrashEverywhere(base, [](TLogFile& log) { log.Append(MakeRecord(7, 8000)); }, GetParam());
}

TEST_P(TCrashSafety, AppendThatOverwritesTheOldestRecords) {
  CrashEverywhere(LogWith(200, 900), [](TLogFile& log) { log.Append(MakeRecord(7, 3000)); },
                  GetParam());
}

// Every position of the end of the log around the wrap point: records and end-of-file record
// split in all the ways they can be.
TEST_P(TCrashSafety, AppendsAcrossTheWrapPoint) {
  MemoryStorage storage = LogWith(60, 1000);
  auto log = TLogFile::Open(storage, false);
  int splits = 0;
  for (uint32_t i = 0; i < 4000 && splits < 12; ++i) {
    const uint32_t end = log->header().endOffset;
    const Record next = MakeRecord(i, 40 + i % 60);
    if (end + EncodeRecord(next).size() + kEofRecordSize > storage.Size()) {
      ++splits;
      CrashEverywhere(storage, [&](TLogFile& file) { file.Append(next); }, GetParam());
    }
    log->Append(next);
  }
  EXPECT_EQ(splits, 12);
}

TEST_P(TCrashSafety, Clear) {
  CrashEverywhere(LogWith(200, 900, 2 * kSizeStep), [](TLogFile& log) { log.Clear(); }, GetParam(),
                  false);
}

TEST_P(TCrashSafety, SetLimits) {
  CrashEverywhere(LogWith(20, 100), [](TLogFile& log) { log.SetLimits(4 * kSizeStep, 10); },
                  GetParam(), false);
}

INSTANTIATE_TEST_SUITE_P(WholeWrites, TCrashSafety, ::testing::Values(false));
INSTANTIATE_TEST_SUITE_P(TornWrites, TCrashSafety, ::testing::Values(true));

}  // namespace
}  // namespace corvane::evt
