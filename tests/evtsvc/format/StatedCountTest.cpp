// StatedCount: the count of a clean file from its header and ends, and the files it leaves to Open.
#include <gtest/gtest.h>

#include "EvtBytes.h"
#include "EvtFile.h"
#include "EvtTestSupport.h"

namespace corvane::evt {
namespace {

uint32_t CountByOpen(MemoryStorage& storage) {
  return TLogFile::Open(storage, true)->Count();
}

TEST(StatedCount, AgreesWithOpenOnEmptyGrownAndWrappedLogs) {
  MemoryStorage storage = test::NewLog();
  EXPECT_EQ(StatedCount(storage), std::optional<uint32_t>(0));
  auto log = TLogFile::Open(storage, false);
  // Once the log wraps, a newest record followed by end-of-file padding cannot be found from the
  // end: those states may be left to Open, the others must be counted.
  int answeredAfterWrap = 0;
  for (uint32_t i = 0; answeredAfterWrap < 20; ++i) {
    log->Append(test::MakeRecord(i, i % 300));
    const bool wrapped = (log->header().flags & kFlagWrapped) != 0;
    const std::optional<uint32_t> stated = StatedCount(storage);
    if (!wrapped) {
      ASSERT_TRUE(stated) << i;
    }
    if (!stated) continue;
    ASSERT_EQ(*stated, CountByOpen(storage)) << i;
    answeredAfterWrap += wrapped;
    ASSERT_LT(i, 5000u) << "no count answered after the log wrapped";
  }
}

TEST(StatedCount, LeavesDirtyOrDamagedFilesToOpen) {
  MemoryStorage storage = test::NewLog();
  auto log = TLogFile::Open(storage, false);
  for (uint32_t i = 0; i < 20; ++i) log->Append(test::MakeRecord(i));
  ASSERT_EQ(StatedCount(storage), std::optional<uint32_t>(20));

  std::vector<uint8_t> dirty = storage.bytes();
  dirty[36] |= kFlagDirty;
  MemoryStorage dirtyStorage(dirty);
  EXPECT_EQ(StatedCount(dirtyStorage), std::nullopt);

  // The newest record's trailing length, just before the end-of-file record, made wrong.
  std::vector<uint8_t> damaged = storage.bytes();
  bytes::Store32(&damaged[log->header().endOffset - 4], 8);
  MemoryStorage damagedStorage(damaged);
  EXPECT_EQ(StatedCount(damagedStorage), std::nullopt);
}

}  // namespace
}  // namespace corvane::evt
