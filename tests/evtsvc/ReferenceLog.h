// The reference decoding of the sample log (one JSON object a line, see the data README),
// read with a parser just large enough for that file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane::evtsvc::test {

struct TReferenceRecord {
  uint32_t record = 0;
  uint32_t generated = 0;  // seconds since 1970
  uint32_t written = 0;
  uint32_t eventId = 0;
  uint16_t type = 0;
  uint16_t category = 0;
  std::wstring source;
  std::wstring computer;
  std::optional<std::string> sid;  // S-1-... form
  std::vector<std::wstring> strings;
  std::vector<uint8_t> data;
};

// Throws std::runtime_error on anything it cannot read.
std::vector<TReferenceRecord> LoadReference(const std::string& path);

}  // namespace corvane::evtsvc::test
