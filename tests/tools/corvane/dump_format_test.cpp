// Printing records: the JSON lines that match the reference decoding, CSV quoting, SID and time texts.
#include <gtest/gtest.h>

#include "DumpFormat.h"

namespace corvane::cli {
namespace {

TEST(SidToText, WritesRevisionAuthorityAndSubAuthorities) {
  EXPECT_EQ(SidToText({1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0}), "S-1-5-18");
  EXPECT_EQ(SidToText({1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 2, 0, 0}), "S-1-5-32-544");
  EXPECT_EQ(SidToText({1, 0, 0, 0, 0, 0, 0, 1}), "S-1-1");
  EXPECT_EQ(SidToText({1, 1, 1, 0, 0, 0, 0, 0, 7, 0, 0, 0}), "S-1-0x010000000000-7");
  EXPECT_EQ(SidToText({1, 1, 0, 0, 0, 0, 0, 5, 0xFF, 0xFF, 0xFF, 0xFF}), "S-1-5-4294967295");
}

TEST(SidToText, RefusesBytesThatAreNoSid) {
  EXPECT_EQ(SidToText({}), "");
  EXPECT_EQ(SidToText({2, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0}), "");
  EXPECT_EQ(SidToText({1, 2, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0}), "") << "count beyond the bytes";
}

TEST(IsoTime, CoversTheWholeUnsignedRange) {
  EXPECT_EQ(IsoTime(0), "1970-01-01T00:00:00Z");
  EXPECT_EQ(IsoTime(43200), "1970-01-01T12:00:00Z");
  EXPECT_EQ(IsoTime(1587871188), "2020-04-26T03:19:48Z");
  EXPECT_EQ(IsoTime(951782400), "2000-02-29T00:00:00Z");
  EXPECT_EQ(IsoTime(0xFFFFFFFFu), "2106-02-07T06:28:15Z");
}

TEST(JsonString, EscapesLikeTheReferenceAndKeepsUtf8) {
  EXPECT_EQ(JsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(JsonString("\r\n\t\b\f\x01"), "\"\\r\\n\\t\\b\\f\\u0001\"");
  EXPECT_EQ(JsonString("\xE6\x8C\x87"), "\"\xE6\x8C\x87\"");
}

TEST(CsvField, QuotesOnlyWhenNeededAndDoublesQuotes) {
  EXPECT_EQ(CsvField("plain"), "plain");
  EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
  EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(CsvField("two\r\nlines"), "\"two\r\nlines\"");
}

DumpRecord Sample() {
  DumpRecord r;
  r.number = 0;
  r.record = 1;
  r.generated = r.written = 1587871188;
  r.eventId = 1073742824;
  r.type = 4;
  r.source = "LoadPerf";
  r.computer = "CHENBIN-17299A5";
  r.strings = {"RSVP", "QoS RSVP"};
  r.data = {0x0c, 0x14, 0, 0};
  return r;
}

TEST(FormatRecord, JsonLineHasTheNumberThenTheReferenceKeysInOrder) {
  EXPECT_EQ(FormatRecord(Sample(), DumpFormat::Jsonl),
            "{\"number\": 0, \"record\": 1, \"generated\": \"2020-04-26T03:19:48Z\", "
            "\"written\": \"2020-04-26T03:19:48Z\", \"event_id\": 1073742824, \"type\": 4, "
            "\"category\": 0, \"source\": \"LoadPerf\", \"computer\": \"CHENBIN-17299A5\", "
            "\"sid\": null, \"strings\": [\"RSVP\", \"QoS RSVP\"], \"data\": \"0c140000\"}");
  DumpRecord withMessage = Sample();
  withMessage.sid = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
  withMessage.message = "done";
  const std::string line = FormatRecord(withMessage, DumpFormat::Jsonl);
  EXPECT_NE(line.find("\"sid\": \"S-1-5-18\""), std::string::npos);
  const std::string tail = ", \"message\": \"done\"}";
  EXPECT_EQ(line.substr(line.size() - tail.size()), tail);
}

TEST(FormatRecord, CsvRowMatchesTheHeaderColumns) {
  DumpRecord r = Sample();
  r.strings = {"one, two", "three"};
  const std::string row = FormatRecord(r, DumpFormat::Csv);
  EXPECT_EQ(row,
            "0,1,2020-04-26T03:19:48Z,2020-04-26T03:19:48Z,1073742824,4,0,LoadPerf,"
            "CHENBIN-17299A5,,\"[\"\"one, two\"\", \"\"three\"\"]\",0c140000");
  EXPECT_EQ(CsvHeader(false),
            "number,record,generated,written,event_id,type,category,source,computer,sid,strings,data");
}

TEST(FormatRecord, TextHasAHeadLineThenOneLinePerStringAndTheData) {
  DumpRecord r = Sample();
  r.number = 41;
  r.category = 3;
  r.type = 16;
  r.sid = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
  EXPECT_EQ(FormatRecord(r, DumpFormat::Text),
            "#41  record 1  2020-04-26T03:19:48Z  audit-failure  LoadPerf  id 1000 (1073742824)  "
            "category 3  CHENBIN-17299A5  S-1-5-18\n"
            "    string: RSVP\n"
            "    string: QoS RSVP\n"
            "    data: 0c140000\n");
  r.sid.clear();
  r.strings.clear();
  r.data.clear();
  r.number = -1;
  EXPECT_EQ(FormatRecord(r, DumpFormat::Text),
            "#-1  record 1  2020-04-26T03:19:48Z  audit-failure  LoadPerf  id 1000 (1073742824)  "
            "category 3  CHENBIN-17299A5\n");
}

TEST(FormatRecord, TextIndentsEveryMessageLineAndDropsTrailingLineEnds) {
  DumpRecord r = Sample();
  r.message = "First line.\r\n\r\nThird line.\r\n";
  const std::string text = FormatRecord(r, DumpFormat::Text);
  const std::string tail = "    message: First line.\n             \n             Third line.\n";
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

TEST(FormatRecord, TextShowsControlCharactersEscapedSoNoStringForgesALine) {
  DumpRecord r = Sample();
  r.source = "Src\r";
  r.strings = {"one\n#2  record 9\tforged\x1b[2J\x7f", "C:\\path"};
  r.data.clear();
  EXPECT_EQ(FormatRecord(r, DumpFormat::Text),
            "#0  record 1  2020-04-26T03:19:48Z  information  Src\\r  id 1000 (1073742824)  "
            "category 0  CHENBIN-17299A5\n"
            "    string: one\\n#2  record 9\\tforged\\x1b[2J\\x7f\n"
            "    string: C:\\path\n");
}

}  // namespace
}  // namespace corvane::cli
