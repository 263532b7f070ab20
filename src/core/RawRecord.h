// One raw event record as the 8-bit reading call delivers it (the EVENTLOGRECORD layout with
// 8-bit strings), decoded without trusting it: every offset and length is checked against the
// record's own Length and against the bytes actually delivered, and every string must end
// inside the record. Plain standard C++ so that the sanitizers and the fuzzer reach it natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace corvane {

// Bytes before the source name.
constexpr size_t kRawRecordFixedSize = 56;

// The system's code for a damaged log, which the refusal's message starts with.
constexpr int32_t kEventLogFileCorrupt = 1500;

// Views into the buffer that was decoded: valid only as long as that buffer.
struct TRawRecord {
  uint32_t Length = 0;
  uint32_t RecordNumber = 0;
  uint32_t TimeGenerated = 0;  // seconds since 1970-01-01 00:00:00 UTC
  uint32_t TimeWritten = 0;
  uint32_t EventId = 0;
  uint16_t EventType = 0;
  uint16_t EventCategory = 0;
  std::vector<std::string_view> Strings;  // NumStrings entries, in record order
  std::string_view SourceName;
  std::string_view ComputerName;
  std::span<const uint8_t> Sid;
  std::span<const uint8_t> Data;
};

// Decodes the record at `record`, of which `available` bytes were delivered (the record and
// possibly more after it). A record that is cut short, claims more bytes than were delivered,
// or points outside itself raises EOleSysError (system code 11) with a message starting
// "1500: " that says which part is wrong. Nothing outside the first min(Length, available)
// bytes is read.
TRawRecord DecodeRawRecord(const void* record, size_t available);
// The same into `into`, whose list of strings keeps its room from one record to the next; after
// a refusal it holds part of the record.
void DecodeRawRecord(const void* record, size_t available, TRawRecord& into);

// Seconds since 1970 as an OLE date (days since 1899-12-30), taken as unsigned so that times
// past 2038 stay in the future.
double RecordTimeToDateTime(uint32_t seconds);

// True when `length` bytes hold a whole SID of revision 1 (the length that the SID states for
// itself fits in them), so that the system functions reading it stay inside the bytes.
bool SidFitsBuffer(const uint8_t* sid, size_t length);

}  // namespace corvane
