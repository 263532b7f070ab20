// A real log the system wrote (dirty, its header behind the records) read against the
// reference decoding of an independent reader.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <variant>

#include "EvtFile.h"
#include "EvtTestSupport.h"
#include "framework/Utf8.h"

namespace corvane::evt {
namespace {

const std::string kData = std::string(CORVANE_SHARED_DIR) + "/data/";

// Just enough JSON for the reference file: objects of strings (no \u escapes), integers, null
// and arrays of strings.
struct TJson {
  std::variant<std::nullptr_t, int64_t, std::string, std::vector<std::string>> value;
  const std::string& Text() const { return std::get<std::string>(value); }
  int64_t Number() const { return std::get<int64_t>(value); }
};

class TJsonLine {
 public:
  explicit TJsonLine(const std::string& text) : text_(text) {}

  std::map<std::string, TJson> Object() {
    std::map<std::string, TJson> fields;
    Expect('{');
    while (Peek() != '}') {
      std::string key = String();
      Expect(':');
      fields[key] = Value();
      if (Peek() == ',') ++at_;
    }
    return fields;
  }

 private:
  char Peek() {
    while (at_ < text_.size() && text_[at_] == ' ') ++at_;
    if (at_ >= text_.size()) throw std::runtime_error("JSON line ends early");
    return text_[at_];
  }
  void Expect(char c) {
    if (Peek() != c) throw std::runtime_error(std::string("JSON: expected ") + c);
    ++at_;
  }
  TJson Value() {
    const char c = Peek();
    if (c == '"') return {String()};
    if (c == 'n') {
      at_ += 4;
      return {nullptr};
    }
    if (c == '[') {
      ++at_;
      std::vector<std::string> items;
      while (Peek() != ']') {
        items.push_back(String());
        if (Peek() == ',') ++at_;
      }
      ++at_;
      return {items};
    }
    size_t used = 0;
    const int64_t number = std::stoll(text_.substr(at_), &used);
    at_ += used;
    return {number};
  }
  std::string String() {
    Expect('"');
    std::string out;
    while (text_.at(at_) != '"') {
      char c = text_[at_++];
      if (c != '\\') {
        out += c;
        continue;
      }
      c = text_.at(at_++);
      switch (c) {
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case 'u': throw std::runtime_error("JSON: \\u escapes are not expected here");
        default: out += c;
      }
    }
    ++at_;
    return out;
  }

  const std::string& text_;
  size_t at_ = 0;
};

std::string IsoTime(uint32_t seconds) {
  // Civil date from days since 1970 (proleptic Gregorian).
  int64_t days = seconds / 86400;
  const uint32_t rest = seconds % 86400;
  days += 719468;
  const int64_t era = days / 146097;
  const int64_t doe = days - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t day = doy - (153 * mp + 2) / 5 + 1;
  const int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const int64_t year = yoe + era * 400 + (month <= 2);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02u:%02u:%02uZ", static_cast<int>(year),
                static_cast<int>(month), static_cast<int>(day), rest / 3600, rest / 60 % 60,
                rest % 60);
  return text;
}

std::string SidText(const std::vector<uint8_t>& sid) {
  if (sid.size() < 8 || sid.size() != 8 + 4u * sid[1]) return "malformed";
  uint64_t authority = 0;
  for (int i = 2; i < 8; ++i) authority = authority << 8 | sid[i];
  std::string text = "S-" + std::to_string(sid[0]) + "-" + std::to_string(authority);
  for (size_t at = 8; at < sid.size(); at += 4) {
    const uint32_t sub = sid[at] | sid[at + 1] << 8 | sid[at + 2] << 16 |
                         static_cast<uint32_t>(sid[at + 3]) << 24;
    text += "-" + std::to_string(sub);
  }
  return text;
}

std::string Hex(const std::vector<uint8_t>& data) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (uint8_t b : data) {
    text += digits[b >> 4];
    text += digits[b & 15];
  }
  return text;
}

std::vector<std::map<std::string, TJson>> Reference() {
  std::ifstream in(kData + "AppEvent.reference.jsonl", std::ios::binary);
  std::vector<std::map<std::string, TJson>> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) lines.push_back(TJsonLine(line).Object());
  }
  return lines;
}

void ExpectMatches(const Record& record, const std::map<std::string, TJson>& want) {
  const auto number = want.at("record").Number();
  SCOPED_TRACE("record " + std::to_string(number));
  EXPECT_EQ(record.recordNumber, number);
  EXPECT_EQ(IsoTime(record.timeGenerated), want.at("generated").Text());
  EXPECT_EQ(IsoTime(record.timeWritten), want.at("written").Text());
  EXPECT_EQ(record.eventId, want.at("event_id").Number());
  EXPECT_EQ(record.eventType, want.at("type").Number());
  EXPECT_EQ(record.eventCategory, want.at("category").Number());
  EXPECT_EQ(ToUtf8(record.sourceName), want.at("source").Text());
  EXPECT_EQ(ToUtf8(record.computerName), want.at("computer").Text());
  if (std::holds_alternative<std::nullptr_t>(want.at("sid").value)) {
    EXPECT_TRUE(record.sid.empty());
  } else {
    EXPECT_EQ(SidText(record.sid), want.at("sid").Text());
  }
  std::vector<std::string> strings;
  for (const auto& text : record.strings) strings.push_back(ToUtf8(text));
  EXPECT_EQ(strings, std::get<std::vector<std::string>>(want.at("strings").value));
  EXPECT_EQ(Hex(record.data), want.at("data").Text());
}

class TSampleLog : public ::testing::Test {
 protected:
  TFileStorage storage_{kData + "AppEvent.Evt", TFileStorage::TMode::ReadOnly};
};

TEST_F(TSampleLog, ReadsAsTheReferenceBothWays) {
  const auto reference = Reference();
  ASSERT_EQ(reference.size(), 121u);
  auto log = TLogFile::Open(storage_, true);
  ASSERT_EQ(log->Count(), 121u);
  const auto forwards = test::ReadForwards(*log);
  const auto backwards = test::ReadBackwards(*log);
  ASSERT_EQ(backwards.size(), reference.size());
  for (size_t i = 0; i < reference.size(); ++i) {
    ExpectMatches(forwards[i], reference[i]);
    ExpectMatches(backwards[i], reference[reference.size() - 1 - i]);
  }
}

// The stored header says 116 records and is marked dirty; the end-of-file record is right.
TEST_F(TSampleLog, StaleDirtyHeaderIsRecoveredFromTheEndOfFileRecord) {
  uint8_t raw[kHeaderSize];
  storage_.Read(0, raw, sizeof raw);
  ASSERT_EQ(raw[36] & kFlagDirty, kFlagDirty);
  auto log = TLogFile::Open(storage_, true);
  const Header& header = log->header();
  EXPECT_EQ(header.currentRecordNumber, 122u);
  EXPECT_EQ(header.oldestRecordNumber, 1u);
  EXPECT_EQ(header.startOffset, kHeaderSize);
  EXPECT_EQ(header.endOffset, 0x718Cu);
  EXPECT_EQ(header.maxSize, 65536u);
  EXPECT_EQ(header.retention, 604800u);
  EXPECT_EQ(header.flags, kFlagArchive) << "dirty is a state of the file, not of the log";
  EXPECT_TRUE(log->RecordBytes(122).empty());
  EXPECT_TRUE(log->RecordBytes(0).empty());
}

TEST_F(TSampleLog, ReadOnlyOpenRefusesChanges) {
  auto log = TLogFile::Open(storage_, true);
  EXPECT_THROW(log->Append(test::MakeRecord(1)), std::logic_error);
  EXPECT_THROW(log->Clear(), std::logic_error);
  EXPECT_THROW(log->SetLimits(kSizeStep, 0), std::logic_error);
  EXPECT_EQ(log->Count(), 121u);
}

// Appending to the system's dirty log continues its numbering after the records the header
// did not know about, and leaves a clean header.
TEST_F(TSampleLog, AppendingContinuesAfterTheRecoveredEnd) {
  std::vector<uint8_t> bytes(storage_.Size());
  storage_.Read(0, bytes.data(), bytes.size());
  MemoryStorage copy(bytes);
  auto log = TLogFile::Open(copy, false);
  EXPECT_EQ(log->Append(test::MakeRecord(3)), 122u);
  auto reopened = TLogFile::Open(copy, true);
  EXPECT_EQ(reopened->Count(), 122u);
  EXPECT_EQ(copy.bytes()[36] & kFlagDirty, 0);
  const auto records = test::ReadForwards(*reopened);
  ExpectMatches(records[120], Reference()[120]);
}

}  // namespace
}  // namespace corvane::evt
