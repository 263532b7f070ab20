#include "DumpFormat.h"

#include <charconv>
#include <cstdio>
#include <string_view>

#include "framework/AsciiText.h"

namespace corvane::cli {
namespace {

void AppendNumber(std::string& out, int64_t value) {
  char buffer[24];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  out.append(buffer, end);
}

void AppendHex(std::string& out, const std::vector<uint8_t>& bytes) {
  static const char digits[] = "0123456789abcdef";
  for (uint8_t b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
}

}  // namespace

std::string SidToText(const std::vector<uint8_t>& sid) {
  if (sid.size() < 8 || sid[0] != 1) return {};
  const size_t count = sid[1];
  if (sid.size() != 8 + 4 * count) return {};
  uint64_t authority = 0;
  for (int i = 2; i < 8; ++i) authority = (authority << 8) | sid[i];
  std::string text = "S-1-";
  if (authority >> 32) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x%012llX", static_cast<unsigned long long>(authority));
    text += buffer;
  } else {
    text += std::to_string(authority);
  }
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* p = &sid[8 + 4 * i];
    const uint32_t sub = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
    text += "-" + std::to_string(sub);
  }
  return text;
}

namespace {

void AppendIsoTime(std::string& out, uint32_t seconds) {
  // Days to a civil date (proleptic Gregorian), without the C library's time zone machinery.
  const int64_t days = seconds / 86400;
  const uint32_t rest = seconds % 86400;
  const int64_t z = days + 719468;
  const int64_t era = z / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t day = doy - (153 * mp + 2) / 5 + 1;
  const int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
  // Digits put in place: a dump prints this for every record, and the C library's formatting
  // was a quarter of a text dump's time. Years run from 1970 to 2106.
  char text[] = "0000-00-00T00:00:00Z";
  const auto put = [&text](size_t at, int64_t value, size_t digits) {
    for (size_t i = digits; i-- > 0; value /= 10) text[at + i] = static_cast<char>('0' + value % 10);
  };
  put(0, year, 4);
  put(5, month, 2);
  put(8, day, 2);
  put(11, rest / 3600, 2);
  put(14, rest / 60 % 60, 2);
  put(17, rest % 60, 2);
  out.append(text, sizeof text - 1);
}

}  // namespace

std::string IsoTime(uint32_t seconds) {
  std::string text;
  AppendIsoTime(text, seconds);
  return text;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
  std::string text;
  text.reserve(bytes.size() * 2);
  AppendHex(text, bytes);
  return text;
}

namespace {

// JSON lines are the other common dump: their strings are appended in place, a run of plain
// characters at a time.
void AppendJsonString(std::string& out, std::string_view utf8) {
  out += '"';
  size_t plain = 0;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c >= 0x20 && c != '"' && c != '\\') continue;
    out.append(utf8, plain, i - plain);
    plain = i + 1;
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      default: {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
        out += buffer;
      }
    }
  }
  out.append(utf8, plain, utf8.size() - plain);
  out += '"';
}

}  // namespace

std::string JsonString(const std::string& utf8) {
  std::string out;
  AppendJsonString(out, utf8);
  return out;
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string CsvHeader(bool withMessage) {
  std::string header =
      "number,record,generated,written,event_id,type,category,source,computer,sid,strings,data";
  if (withMessage) header += ",message";
  return header;
}

const char* TypeName(uint16_t type) {
  switch (type) {
    case 0: return "success";
    case 1: return "error";
    case 2: return "warning";
    case 4: return "information";
    case 8: return "audit-success";
    case 16: return "audit-failure";
    default: return "unknown";
  }
}

// Control characters of a record's texts are shown escaped, so that no text can end its line
// and forge another record's (or move the cursor of the terminal it is printed on).
void AppendVisible(std::string& text, std::string_view value) {
  static const char kDigits[] = "0123456789abcdef";
  size_t plain = 0;  // where the run of characters shown as they are began
  for (size_t i = 0; i < value.size(); ++i) {
    const auto u = static_cast<unsigned char>(value[i]);
    if (u >= 0x20 && u != 0x7F) continue;
    text.append(value.substr(plain, i - plain));
    plain = i + 1;
    if (u == '\n') {
      text += "\\n";
    } else if (u == '\r') {
      text += "\\r";
    } else if (u == '\t') {
      text += "\\t";
    } else {
      text += "\\x";
      text += kDigits[u >> 4];
      text += kDigits[u & 15];
    }
  }
  text.append(value.substr(plain));
}

namespace {

std::string Jsonl(const DumpRecord& r) {
  const std::string sid = SidToText(r.sid);
  size_t estimate = 240 + r.source.size() + r.computer.size() + 2 * r.data.size();
  for (const auto& s : r.strings) estimate += s.size() + 4;
  std::string line;
  line.reserve(estimate);
  line += "{\"number\": ";
  AppendNumber(line, r.number);
  line += ", \"record\": ";
  AppendNumber(line, r.record);
  line += ", \"generated\": \"";
  AppendIsoTime(line, r.generated);
  line += "\", \"written\": \"";
  AppendIsoTime(line, r.written);
  line += "\", \"event_id\": ";
  AppendNumber(line, r.eventId);
  line += ", \"type\": ";
  AppendNumber(line, r.type);
  line += ", \"category\": ";
  AppendNumber(line, r.category);
  line += ", \"source\": ";
  AppendJsonString(line, r.source);
  line += ", \"computer\": ";
  AppendJsonString(line, r.computer);
  line += ", \"sid\": ";
  if (sid.empty()) {
    line += "null";
  } else {
    AppendJsonString(line, sid);
  }
  line += ", \"strings\": [";
  for (size_t i = 0; i < r.strings.size(); ++i) {
    if (i) line += ", ";
    AppendJsonString(line, r.strings[i]);
  }
  line += "], \"data\": \"";
  AppendHex(line, r.data);
  line += '"';
  if (r.message) {
    line += ", \"message\": ";
    AppendJsonString(line, *r.message);
  }
  line += '}';
  return line;
}

std::string Csv(const DumpRecord& r) {
  // Insertion strings share one field as a JSON array: they may hold any character, line ends
  // included, and the column count stays fixed.
  std::string strings = "[";
  for (size_t i = 0; i < r.strings.size(); ++i) {
    if (i) strings += ", ";
    strings += JsonString(r.strings[i]);
  }
  strings += "]";
  std::string row = std::to_string(r.number) + "," + std::to_string(r.record) + "," +
                    IsoTime(r.generated) + "," + IsoTime(r.written) + "," +
                    std::to_string(r.eventId) + "," + std::to_string(r.type) + "," +
                    std::to_string(r.category) + "," + CsvField(r.source) + "," +
                    CsvField(r.computer) + "," + SidToText(r.sid) + "," + CsvField(strings) + "," +
                    Hex(r.data);
  if (r.message) row += "," + CsvField(*r.message);
  return row;
}

// Text is what a dump prints by default, a line or more for each of possibly millions of
// records: it is appended in place into one string rather than built from temporaries.
std::string Text(const DumpRecord& r) {
  const std::string sid = SidToText(r.sid);
  size_t estimate = 160 + r.source.size() + r.computer.size() + sid.size() + 2 * r.data.size();
  for (const auto& s : r.strings) estimate += s.size() + 16;
  std::string text;
  text.reserve(estimate);
  text += '#';
  AppendNumber(text, r.number);
  text += "  record ";
  AppendNumber(text, r.record);
  text += "  ";
  AppendIsoTime(text, r.generated);
  text += "  ";
  text += TypeName(r.type);
  text += "  ";
  AppendVisible(text, r.source);
  text += "  id ";
  AppendNumber(text, r.eventId & 0xFFFF);
  text += " (";
  AppendNumber(text, r.eventId);
  text += ")  category ";
  AppendNumber(text, r.category);
  text += "  ";
  AppendVisible(text, r.computer);
  if (!sid.empty()) {
    text += "  ";
    text += sid;
  }
  text += '\n';
  for (const auto& s : r.strings) {
    text += "    string: ";
    AppendVisible(text, s);
    text += '\n';
  }
  if (!r.data.empty()) {
    text += "    data: ";
    AppendHex(text, r.data);
    text += '\n';
  }
  if (r.message) {
    // One message line per text line, without the line ends the formatter leaves at the end.
    const std::string_view message = corvane::WithoutLineEnds(*r.message);
    text += "    message: ";
    for (size_t i = 0; i < message.size(); ++i) {
      if (message[i] == '\r' && i + 1 < message.size() && message[i + 1] == '\n') continue;
      if (message[i] == '\n') {
        text += "\n             ";
      } else {
        AppendVisible(text, message.substr(i, 1));
      }
    }
    text += '\n';
  }
  return text;
}

}  // namespace

std::string FormatRecord(const DumpRecord& r, DumpFormat format) {
  switch (format) {
    case DumpFormat::Jsonl: return Jsonl(r);
    case DumpFormat::Csv: return Csv(r);
    case DumpFormat::Text: break;
  }
  return Text(r);
}

}  // namespace corvane::cli
