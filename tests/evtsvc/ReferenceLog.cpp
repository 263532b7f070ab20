#include "ReferenceLog.h"

#include <windows.h>

#include <fstream>
#include <map>
#include <stdexcept>

namespace corvane::evtsvc::test {
namespace {

struct Value {
  enum class Kind { Null, Number, Text, List } kind = Kind::Null;
  double number = 0;
  std::wstring text;
  std::vector<Value> list;
};

class TParser {
 public:
  explicit TParser(const std::string& line) : s_(line) {}

  std::map<std::string, Value> Object() {
    std::map<std::string, Value> fields;
    Expect('{');
    if (Peek() == '}') return ++at_, fields;
    for (;;) {
      const std::wstring key = Text();
      Expect(':');
      fields[std::string(key.begin(), key.end())] = Any();
      if (Peek() == ',') {
        ++at_;
        continue;
      }
      Expect('}');
      return fields;
    }
  }

 private:
  char Peek() {
    while (at_ < s_.size() && (s_[at_] == ' ' || s_[at_] == '\t' || s_[at_] == '\r')) ++at_;
    if (at_ >= s_.size()) throw std::runtime_error("unexpected end of line");
    return s_[at_];
  }
  void Expect(char c) {
    if (Peek() != c) throw std::runtime_error(std::string("expected ") + c);
    ++at_;
  }

  Value Any() {
    Value value;
    const char c = Peek();
    if (c == '"') {
      value.kind = Value::Kind::Text;
      value.text = Text();
    } else if (c == '[') {
      value.kind = Value::Kind::List;
      ++at_;
      if (Peek() == ']') return ++at_, value;
      for (;;) {
        value.list.push_back(Any());
        if (Peek() == ',') {
          ++at_;
          continue;
        }
        Expect(']');
        break;
      }
    } else if (s_.compare(at_, 4, "null") == 0) {
      at_ += 4;
    } else {
      value.kind = Value::Kind::Number;
      size_t used = 0;
      value.number = std::stod(s_.substr(at_), &used);
      at_ += used;
    }
    return value;
  }

  // JSON text: UTF-8 with escapes, returned as UTF-16.
  std::wstring Text() {
    Expect('"');
    std::string utf8;
    std::wstring result;
    auto flush = [&] {
      if (utf8.empty()) return;
      const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                        static_cast<int>(utf8.size()), nullptr, 0);
      if (n <= 0) throw std::runtime_error("invalid UTF-8");
      std::wstring wide(static_cast<size_t>(n), L'\0');
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
      result += wide;
      utf8.clear();
    };
    for (;;) {
      if (at_ >= s_.size()) throw std::runtime_error("unterminated string");
      const char c = s_[at_++];
      if (c == '"') break;
      if (c != '\\') {
        utf8 += c;
        continue;
      }
      flush();
      const char e = s_.at(at_++);
      switch (e) {
        case 'n': result += L'\n'; break;
        case 'r': result += L'\r'; break;
        case 't': result += L'\t'; break;
        case 'b': result += L'\b'; break;
        case 'f': result += L'\f'; break;
        case 'u':
          result += static_cast<wchar_t>(std::stoul(s_.substr(at_, 4), nullptr, 16));
          at_ += 4;
          break;
        default: result += static_cast<wchar_t>(e); break;
      }
    }
    flush();
    return result;
  }

  const std::string& s_;
  size_t at_ = 0;
};

uint32_t Seconds(const std::wstring& iso) {
  SYSTEMTIME time{};
  if (swscanf(iso.c_str(), L"%4hu-%2hu-%2huT%2hu:%2hu:%2huZ", &time.wYear, &time.wMonth, &time.wDay,
              &time.wHour, &time.wMinute, &time.wSecond) != 6) {
    throw std::runtime_error("bad time");
  }
  FILETIME file;
  SystemTimeToFileTime(&time, &file);
  const uint64_t ticks = (static_cast<uint64_t>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
  return static_cast<uint32_t>((ticks - 116444736000000000ull) / 10000000ull);
}

std::vector<uint8_t> Bytes(const std::wstring& hex) {
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<uint8_t>(std::stoul(std::wstring(hex, i, 2), nullptr, 16)));
  }
  return bytes;
}

}  // namespace

std::vector<TReferenceRecord> LoadReference(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot open " + path);
  std::vector<TReferenceRecord> records;
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line == "\r") continue;
    auto fields = TParser(line).Object();
    TReferenceRecord r;
    r.record = static_cast<uint32_t>(fields.at("record").number);
    r.generated = Seconds(fields.at("generated").text);
    r.written = Seconds(fields.at("written").text);
    r.eventId = static_cast<uint32_t>(fields.at("event_id").number);
    r.type = static_cast<uint16_t>(fields.at("type").number);
    r.category = static_cast<uint16_t>(fields.at("category").number);
    r.source = fields.at("source").text;
    r.computer = fields.at("computer").text;
    const Value& sid = fields.at("sid");
    if (sid.kind == Value::Kind::Text) r.sid = std::string(sid.text.begin(), sid.text.end());
    for (const Value& text : fields.at("strings").list) r.strings.push_back(text.text);
    r.data = Bytes(fields.at("data").text);
    records.push_back(std::move(r));
  }
  return records;
}

}  // namespace corvane::evtsvc::test
