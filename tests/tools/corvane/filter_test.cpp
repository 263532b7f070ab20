// The pieces the filters and summaries are made of: written times and the zone rules at a clock
// change, letter case and wildcards, SID texts, and the summary table's layout.
#include <gtest/gtest.h>

#include "DumpFormat.h"
#include "RecordFilter.h"
#include "Stats.h"
#include "TextMatch.h"
#include "TimeArgument.h"

namespace corvane::cli {
namespace {

int64_t Utc(const char* text) {
  const auto time = ParseWrittenTime(text);
  EXPECT_TRUE(time && time->offset) << text;
  return time ? FirstSecondAtOrAfter(*time, [](int64_t) { return 0; }) : -1;
}

TEST(WrittenTime, TakesIsoDatesTimesAndOffsetsAndRefusesTheRest) {
  EXPECT_EQ(Utc("2020-04-26T03:19:48Z"), 1587871188);
  EXPECT_EQ(Utc("2020-04-26 11:19:48+08:00"), 1587871188);
  EXPECT_EQ(Utc("2020-04-25T22:19-0500"), 1587871140);
  EXPECT_EQ(Utc("2020-04-26T03Z"), 1587870000);
  EXPECT_EQ(Utc("2020-04-26T03:19:47.25Z"), 1587871188) << "a fraction counts from the next second";
  EXPECT_EQ(Utc("2000-02-29T00:00:00Z"), 951782400);
  EXPECT_FALSE(ParseWrittenTime("2020-04-26")->offset) << "no offset: the caller's zone";
  for (const char* bad : {"2020-13-01", "2019-02-29", "2020-04-26T24:00", "2020-04-26T10:60",
                          "2020-4-26", "26/04/2020", "2020-04-26T10:00+25:00", "2020-04-26Z",
                          "2020-04-26T10:00:00.", "yesterday", ""}) {
    EXPECT_FALSE(ParseWrittenTime(bad)) << bad;
  }
}

TEST(WrittenTime, LocalTimesTakeTheFirstOccurrenceAndTheMomentOfAChange) {
  // UTC-5, then UTC-4 from 2021-03-14T07:00Z (02:00 local becomes 03:00), and back to UTC-5 from
  // 2021-11-07T06:00Z (02:00 local becomes 01:00).
  const int64_t spring = 1615705200, autumn = 1636264800;
  const TOffsetAt zone = [&](int64_t t) {
    return t >= spring && t < autumn ? -4 * 3600 : -5 * 3600;
  };
  const auto local = [&](const char* text) {
    return FirstSecondAtOrAfter(*ParseWrittenTime(text), zone);
  };
  EXPECT_EQ(local("2021-01-10T12:00"), Utc("2021-01-10T17:00Z"));
  EXPECT_EQ(local("2021-07-10T12:00"), Utc("2021-07-10T16:00Z"));
  EXPECT_EQ(local("2021-03-14T02:30"), spring) << "a time that never occurred";
  EXPECT_EQ(local("2021-03-14T03:00"), spring);
  EXPECT_EQ(local("2021-11-07T01:30"), autumn - 1800) << "the first of the two 01:30s";
  EXPECT_EQ(local("2021-07-10T12:00+02:00"), Utc("2021-07-10T10:00Z")) << "an offset wins";
}

TEST(TextMatch, IgnoresLetterCaseAcrossScriptsWithWildcards) {
  EXPECT_TRUE(TWildcard("crypt*").Matches("CRYPT32"));
  EXPECT_TRUE(TWildcard("*SERV?CE*").Matches("Terminal services x"));
  EXPECT_TRUE(TWildcard("a*b*c").Matches("aXbYbZc"));
  EXPECT_FALSE(TWildcard("a*b*c").Matches("aXbYcZ"));
  EXPECT_FALSE(TWildcard("esent").Matches("ESENT2"));
  EXPECT_FALSE(TWildcard("?").Matches(""));
  EXPECT_TRUE(TWildcard("\xC3\x89v\xC3\xA9nement").Matches("\xC3\xA9V\xC3\x89NEMENT"));  // é É
  EXPECT_TRUE(TWildcard("\xD0\x96*").Matches("\xD0\xB6\xD1\x83\xD1\x80"));               // Ж ж
  EXPECT_TRUE(TWildcard("?\xE4\xBA\x8B").Matches("\xE5\xA4\xA7\xE4\xBA\x8B"));  // one CJK character
  EXPECT_TRUE(TSubstring("qos").FoundIn("QoS RSVP"));
  EXPECT_FALSE(TSubstring("qos").FoundIn("Q o S"));
  EXPECT_EQ(DisplayWidth("a\xE4\xBA\x8B\xC3\xA9"), 4u);
}

TEST(SidFromText, ReadsWhatSidToTextWrites) {
  for (const std::vector<uint8_t>& sid : {std::vector<uint8_t>{1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0},
                                          std::vector<uint8_t>{1, 1, 1, 0, 0, 0, 0, 0, 7, 0, 0, 0},
                                          std::vector<uint8_t>{1, 0, 0, 0, 0, 0, 0, 1}}) {
    EXPECT_EQ(SidFromText(SidToText(sid)), sid) << SidToText(sid);
  }
  for (const char* bad : {"S-1", "S-2-5-18", "S-1-5-x", "S-1-5-4294967296", "S-1-5--18", "alice"}) {
    EXPECT_FALSE(SidFromText(bad)) << bad;
  }
}

// Records made of their fields, for the summaries.
class TFields : public TRecordView {
 public:
  TFields(std::string source, uint16_t type, uint32_t generated) : source_(std::move(source)) {
    head_.type = type;
    head_.generated = generated;
  }
  const TRecordHead& Head() const override { return head_; }
  const std::string& Source() override { return source_; }
  const std::string& Computer() override { return source_; }
  const std::vector<std::string>& Strings() override { return strings_; }

 private:
  TRecordHead head_;
  std::string source_;
  std::vector<std::string> strings_;
};

TEST(Stats, NestsGroupsLargestFirstCutsEachLevelAndAlignsTheTable) {
  const Options options({"--by", "source", "--by", "type", "--top", "2"}, {"by", "top"}, {});
  TStats stats(options);
  for (auto [source, type, time] : {std::tuple{"\xE4\xBA\x8B", 1, 86400},
                                    {"\xE4\xBA\x8B", 4, 90000},
                                    {"\xE4\xBA\x8B", 4, 86500},
                                    {"\xE4\xBA\x8B", 2, 86401},
                                    {"b", 4, 0},
                                    {"b", 4, 1},
                                    {"c", 1, 5}}) {
    TFields record(source, static_cast<uint16_t>(type), static_cast<uint32_t>(time));
    stats.Add(record);
  }
  std::string text;
  stats.Write(DumpFormat::Text, [&](const std::string& line) { text += line; });
  EXPECT_EQ(text,
            "source / type  count  first                 last\n"
            "\xE4\xBA\x8B                 4  1970-01-02T00:00:00Z  1970-01-02T01:00:00Z\n"
            "  information      2  1970-01-02T00:01:40Z  1970-01-02T01:00:00Z\n"
            "  error            1  1970-01-02T00:00:00Z  1970-01-02T00:00:00Z\n"
            "b                  2  1970-01-01T00:00:00Z  1970-01-01T00:00:01Z\n"
            "  information      2  1970-01-01T00:00:00Z  1970-01-01T00:00:01Z\n");
  std::string jsonl;
  stats.Write(DumpFormat::Jsonl, [&](const std::string& line) { jsonl += line; });
  EXPECT_EQ(jsonl.substr(0, jsonl.find('\n')),
            "{\"source\": \"\xE4\xBA\x8B\", \"type\": \"information\", \"count\": 2, "
            "\"first\": \"1970-01-02T00:01:40Z\", \"last\": \"1970-01-02T01:00:00Z\"}");
}

}  // namespace
}  // namespace corvane::cli
