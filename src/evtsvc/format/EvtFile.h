// The NT event-log file format (.evt): header, records, end-of-file record and the circular
// layout. Plain standard C++, no Windows headers, so it also builds natively for the sanitizers
// and the fuzzer. Text in the file is UTF-16LE; here it is std::u16string.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
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

enum class TDirection { Forwards, Backwards };

// An open log file. Not thread-safe and not process-safe by itself: the service serialises
// access to one file across processes and calls Refresh() after taking its lock, so that what
// other processes appended, cleared or wrapped is seen.
//
// Reading holds 4 bytes per record (where each starts) and a 64 KiB block cache, never the file.
// Failures: CorruptLog for a damaged file, LogFull, std::system_error from the storage,
// std::logic_error for a change through a read-only LogFile, and EncodeRecord's errors from
// Append.
class TLogFile {
 public:
  // Finds the log's records: the header when it is current, else (dirty or stale header) the
  // end-of-file record reached by walking on from the header's end offset or found by scanning.
  // Records split at the end of the file, or padding before it, are read as the system leaves
  // them. readOnly refuses every change, and reads past damage: a record whose frame is broken
  // is left out and the next one is found by its signature, so a damaged file loses only the
  // records it hit. Opened for changes, a damaged file throws CorruptLog, as does a file with
  // no record left to read.
  static std::unique_ptr<TLogFile> Open(TStorage& storage, bool readOnly);
  // Writes an empty log of the given maximum size (rounded up to 64 KiB, at least 64 KiB) and
  // retention. The file starts at 64 KiB and grows in 64 KiB steps up to the maximum before it
  // wraps.
  static void Create(TStorage& storage, uint32_t maxSize, uint32_t retention);

  virtual ~TLogFile() = default;
  // Picks up what was written to the storage since Open or the last Refresh; cheap when nothing
  // changed (the header and the end-of-file record are compared).
  virtual void Refresh() = 0;
  // The log's state as this object sees it (never marked dirty).
  virtual const Header& header() const = 0;
  virtual uint32_t Count() const = 0;                 // records in the log
  virtual uint32_t OldestRecordNumber() const = 0;    // 0 when empty
  // The number of the record at `position`, 0 the oldest and Count() - 1 the newest. Numbers
  // follow one another, except where a read-only open left damaged records out.
  virtual uint32_t NumberAt(uint32_t position) const = 0;
  // Whether the log holds a record numbered `number`.
  virtual bool Holds(uint32_t number) const = 0;
  // The on-disk bytes of record `number` (contiguous even when it wraps), or empty when no such
  // record exists. The record's frame (lengths, signature, number) is checked; DecodeRecord
  // checks the rest.
  virtual std::vector<uint8_t> RecordBytes(uint32_t number) const = 0;
  // The same into `bytes`, whose room is reused from one record to the next.
  virtual void RecordBytes(uint32_t number, std::vector<uint8_t>& bytes) const = 0;
  // Appends a record (its number is assigned here; its closing number is 0, as the system
  // writes it) and returns its number. The file grows while below its maximum; after that the
  // oldest records are overwritten as the retention allows (0: always; kRetainForever: never;
  // else only records written more than that many seconds before the new record's timeWritten),
  // otherwise LogFull is thrown, the log-full flag set and nothing else changed. A record that
  // reaches the end of the file is split there, as the system splits it: it fills the file to
  // the end and goes on after the header (so does the end-of-file record).
  virtual uint32_t Append(Record record) = 0;
  // Empties the log, keeping its maximum size and retention; numbering starts again at 1.
  virtual void Clear() = 0;
  // New maximum size (rounded up to 64 KiB) and retention. A file already larger than the new
  // maximum keeps its size until it is cleared.
  virtual void SetLimits(uint32_t maxSize, uint32_t retention) = 0;
  // A clean, consistent copy of the log (a backup file) into another storage: same file size,
  // header and record numbers, the records one after another from just after the header (of a
  // damaged log, the records it holds).
  virtual void CopyTo(TStorage& target) const = 0;
};

// The number of records a clean file states in its header, when its end-of-file record and the
// frames of its oldest and newest records agree; nothing for any other file (dirty, damaged, or
// laid out so that the newest record cannot be found from the end), which only Open can count.
// Reads a few blocks, not the records: the system itself counts a log from its header.
std::optional<uint32_t> StatedCount(const TStorage& storage);

}  // namespace corvane::evt
