// Reads a log's records through ReadEventLogA a block at a time: 16 KiB, grown to exactly what
// one record needs when it does not fit, and splits each block into its records, every one of
// whose length must lie within what was delivered. The component's cache and the command's
// streaming reads both read through it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <vector>

namespace corvane {

// Size of one read block; a larger block is taken only for a record that does not fit in it.
constexpr DWORD kReadBlockSize = 16384;

class TRecordBlocks {
 public:
  enum class TRead {
    Records,       // the block holds at least one record
    End,           // no record past the read position
    NoSuchRecord,  // a seek to a record number the log does not hold (cleared, overwritten)
    Cleared,       // the log was cleared since this handle last read it
  };

  explicit TRecordBlocks(HANDLE log) : log_(log), block_(kReadBlockSize) {}

  // One read with `flags` (the direction, and sequential or seek to `recordNumber`). Any other
  // failure, a failure without an error code among them, and a block that cannot be right,
  // raise.
  TRead Read(DWORD flags, DWORD recordNumber = 0);
  // The next record of the block last read, or an empty span after its last. A length that
  // cannot be right raises, saying what is wrong with the record.
  std::span<const uint8_t> Next();

 private:
  HANDLE log_;
  std::vector<uint8_t> block_;
  DWORD filled_ = 0;
  DWORD offset_ = 0;
};

}  // namespace corvane
