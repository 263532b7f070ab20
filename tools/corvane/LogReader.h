// Streams the records of an open log, a block at a time (core/RecordBlocks.h), so that a dump of
// any size runs in flat memory.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "core/RawRecord.h"
#include "core/RecordBlocks.h"

namespace corvane::cli {

class TLogReader {
 public:
  // Reads from the oldest record on (or from the newest back), or, with `first` not 0, from
  // that record number on in the chosen direction. With `stopAtClear`, a log cleared since the
  // handle last read ends the walk and sets Cleared() instead of raising.
  TLogReader(HANDLE log, bool backwards, uint32_t first = 0, bool stopAtClear = false);

  // Hands each record to `visit` until the end of the log, `limit` records, or visit
  // returning false. Returns how many records were visited.
  uint64_t ForEach(const std::function<bool(const TRawRecord&)>& visit,
                   uint64_t limit = UINT64_MAX);
  // The same with each record's bytes, not yet decoded: their length is checked against what
  // was read, nothing else.
  uint64_t ForEachBytes(const std::function<bool(std::span<const uint8_t>)>& visit);
  bool Cleared() const { return cleared_; }

 private:
  bool Fill();

  TRecordBlocks blocks_;
  DWORD direction_;
  uint32_t seekTo_;
  bool stopAtClear_;
  bool cleared_ = false;
};

// An 8-bit text in the system's ANSI code page as UTF-8.
std::string AnsiToUtf8(std::string_view text);

}  // namespace corvane::cli
