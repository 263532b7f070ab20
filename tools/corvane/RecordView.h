// A record as the filters and summaries look at it: its fixed fields at once, its names,
// insertion strings and message only when asked for, so that a record turned down on its fixed
// fields costs no text conversion. Both readers present their records this way (the file's
// records with UTF-16 texts, the service's with 8-bit ones), texts as UTF-8. Needs no Windows
// header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace corvane::cli {

// The fields both record layouts hold in their first 56 bytes, and the SID they point at.
struct TRecordHead {
  uint32_t generated = 0;  // seconds since 1970-01-01 UTC
  uint32_t eventId = 0;
  uint16_t type = 0;  // the system's value: 0, 1, 2, 4, 8, 16
  uint16_t category = 0;
  std::span<const uint8_t> sid;  // empty when the record has none or it lies outside the record
};

constexpr size_t kRecordHeadSize = 56;

// The head of a record of `size` bytes (at least kRecordHeadSize), read where both layouts keep
// it. Nothing outside the `size` bytes is read.
TRecordHead HeadOf(const uint8_t* bytes, size_t size);

class TRecordView {
 public:
  virtual ~TRecordView() = default;
  virtual const TRecordHead& Head() const = 0;
  virtual const std::string& Source() = 0;
  virtual const std::string& Computer() = 0;
  virtual const std::vector<std::string>& Strings() = 0;
  // The record's message text where the reader formats messages, else null.
  virtual const std::string* Message() { return nullptr; }
};

}  // namespace corvane::cli
