// One event record as the log file stores it (EVENTLOGRECORD with UTF-16LE texts).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "EvtErrors.h"

namespace corvane::evt {

constexpr uint32_t kRecordSignature = 0x654c664c;  // "LfLe"
constexpr uint32_t kRecordFixedSize = 56;           // fields before the source name
constexpr uint32_t kMinRecordSize = kRecordFixedSize + 2 + 2 + 4;  // empty names, trailing length

// The fixed fields of an event record.
struct RecordFields {
  uint32_t recordNumber = 0;
  uint32_t timeGenerated = 0;  // seconds since 1970-01-01 UTC
  uint32_t timeWritten = 0;
  uint32_t eventId = 0;
  uint16_t eventType = 0;
  uint16_t eventCategory = 0;
  uint16_t reservedFlags = 0;
  uint32_t closingRecordNumber = 0;

  bool operator==(const RecordFields&) const = default;
};

// One event as stored on disk.
struct Record : RecordFields {
  std::u16string sourceName;
  std::u16string computerName;
  std::vector<std::u16string> strings;
  std::vector<uint8_t> sid;
  std::vector<uint8_t> data;

  bool operator==(const Record&) const = default;
};

// On-disk bytes of a record, as the system lays out its own: fixed part, names, SID, strings and
// data one after another with nothing between them, 1 to 4 zero bytes to the next DWORD, trailing
// length. Throws std::length_error when the record cannot be represented (more than 65535
// strings, over 4 GB).
std::vector<uint8_t> EncodeRecord(const Record& record);
// One record as its on-disk bytes hold it, without copying: the texts are their UTF-16LE bytes
// (terminator excluded, not necessarily aligned), the SID and data their bytes. Valid as long as
// the bytes decoded.
struct RecordView : RecordFields {
  std::span<const uint8_t> sourceName;
  std::span<const uint8_t> computerName;
  std::vector<std::span<const uint8_t>> strings;
  std::span<const uint8_t> sid;
  std::span<const uint8_t> data;
};

// Decodes one record's on-disk bytes, `size` being exactly its Length. Every offset and length
// is checked against the record; a record that contradicts itself throws CorruptLog.
void DecodeRecordView(const uint8_t* bytes, size_t size, RecordView& view);
// The same, with the texts and buffers copied out.
Record DecodeRecord(const uint8_t* bytes, size_t size);
// The same into `record`, whose texts and buffers are reused: a reader going through many
// records then allocates only when one needs more room than those before it.
void DecodeRecord(const uint8_t* bytes, size_t size, Record& record);
// Only the source and computer names of a record's on-disk bytes, the rest neither checked nor
// decoded: a reader can turn a record down on its names first. Throws CorruptLog when the bytes
// are too short or a name runs past the record.
void DecodeNames(const uint8_t* bytes, size_t size, std::u16string& source,
                 std::u16string& computer);

}  // namespace corvane::evt
