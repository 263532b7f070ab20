// How the corvane command prints records: text, JSON lines and CSV. Needs no Windows header.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::cli {

// One record as the command prints it; texts are UTF-8.
struct DumpRecord {
  int64_t number = 0;  // position in the log, 0 = oldest
  uint32_t record = 0;
  uint32_t generated = 0;
  uint32_t written = 0;
  uint32_t eventId = 0;
  uint16_t type = 0;
  uint16_t category = 0;
  std::string source;
  std::string computer;
  std::vector<uint8_t> sid;
  std::vector<std::string> strings;
  std::vector<uint8_t> data;
  std::optional<std::string> message;
};

enum class DumpFormat { Text, Jsonl, Csv };

// "S-1-5-18"; empty for bytes that are not a well-formed SID.
std::string SidToText(const std::vector<uint8_t>& sid);
// "2020-04-26T03:19:48Z".
std::string IsoTime(uint32_t secondsSince1970);
std::string Hex(const std::vector<uint8_t>& bytes);
std::string JsonString(const std::string& utf8);
std::string CsvField(const std::string& text);
// "error", "information", ... for the system's type values, "unknown" for any other.
const char* TypeName(uint16_t type);
// Appends `value` with its control characters escaped (\n, \r, \t, \xHH), as the text form
// shows texts, so that none can end its line or move a terminal's cursor.
void AppendVisible(std::string& text, std::string_view value);

std::string CsvHeader(bool withMessage);
std::string FormatRecord(const DumpRecord& r, DumpFormat format);

}  // namespace corvane::cli
