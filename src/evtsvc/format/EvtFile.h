// The NT event-log file format (.evt): header, records, end-of-file record and the circular
// layout. Plain standard C++, no Windows headers, so it also builds natively for the sanitizers
// and the fuzzer. Text in the file is UTF-16LE; here it is std::u16string.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "EvtErrors.h"
#include "EvtRecord.h"
#include "EvtStorage.h"

namespace corvane::evt {

// Header flags.
constexpr uint32_t kFlagDirty = 0x1;
constexpr uint32_t kFlagWrapped = 0x2;
constexpr uint32_t kFlagLogFull = 0x4;
constexpr uint32_t kFlagArchive = 0x8;

constexpr uint32_t kHeaderSize = 48;
constexpr uint32_t kEofRecordSize = 40;
// Files grow in these steps up to their maximum size, and maximum sizes are multiples of it.
constexpr uint32_t kSizeStep = 64 * 1024;
constexpr uint32_t kRetainForever = 0xFFFFFFFF;

struct Header {
  uint32_t startOffset = kHeaderSize;   // oldest record
  uint32_t endOffset = kHeaderSize;     // the end-of-file record
  uint32_t currentRecordNumber = 1;     // number the next record gets
  uint32_t oldestRecordNumber = 0;      // 0 while the log is empty
  uint32_t maxSize = 0;
  uint32_t flags = 0;
  uint32_t retention = 0;               // seconds; 0 overwrite as needed, 0xFFFFFFFF never

  bool operator==(const Header&) const = default;
};

enum class Direction { Forwards, Backwards };

// An open log file. Not thread-safe and not process-safe by itself: the service serialises
// access to one file across processes and calls Refresh() after taking its lock, so that what
// other processes appended, cleared or wrapped is seen.
class LogFile {
 public:
  // Reads the header; a dirty or stale header is recovered by scanning as the system does.
  // A damaged file throws CorruptLog. readOnly refuses every change (std::logic_error).
  static std::unique_ptr<LogFile> Open(Storage& storage, bool readOnly);
  // Writes an empty log of the given maximum size (rounded up to 64 KiB) and retention. The
  // file starts at 64 KiB and grows in 64 KiB steps up to the maximum before it wraps.
  static void Create(Storage& storage, uint32_t maxSize, uint32_t retention);

  virtual ~LogFile() = default;
  // Picks up what was written to the storage since Open or the last Refresh.
  virtual void Refresh() = 0;
  // The log's state as this object sees it (never marked dirty).
  virtual const Header& header() const = 0;
  virtual uint32_t Count() const = 0;                 // records in the log
  virtual uint32_t OldestRecordNumber() const = 0;    // 0 when empty
  // The on-disk bytes of record `number` (contiguous even when it wraps), or empty when no such
  // record exists.
  virtual std::vector<uint8_t> RecordBytes(uint32_t number) const = 0;
  // Appends a record (its number and closing number are assigned here) and returns its number,
  // overwriting the oldest records as retention allows when the file is full; throws LogFull
  // when it may not.
  virtual uint32_t Append(Record record) = 0;
  // Empties the log, keeping its size settings.
  virtual void Clear() = 0;
  // New maximum size (rounded up to 64 KiB) and retention. A file already larger than the new
  // maximum keeps its size until it is cleared.
  virtual void SetLimits(uint32_t maxSize, uint32_t retention) = 0;
  // A clean, consistent copy of the log (header not dirty) into another storage.
  virtual void CopyTo(Storage& target) const = 0;
};

}  // namespace corvane::evt
