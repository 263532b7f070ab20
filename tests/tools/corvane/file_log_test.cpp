// Reading a saved log straight from the file: the sample log against its reference decoding,
// with every Chinese string intact whatever the locale, and the UTF-16 to UTF-8 conversion.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "FileLog.h"
#include "framework/Utf8.h"

namespace corvane::cli {
namespace {

TEST(FileLog, SampleLogMatchesTheReferenceDecodingRecordForRecord) {
  TFileLog log(CORVANE_SHARED_DIR "/data/AppEvent.Evt");
  std::ifstream reference(CORVANE_SHARED_DIR "/data/AppEvent.reference.jsonl");
  ASSERT_EQ(log.Count(), 121u);
  DumpRecord record;
  std::string expected;
  for (uint32_t i = 0; i < log.Count(); ++i) {
    ASSERT_TRUE(std::getline(reference, expected));
    log.Read(log.NumberAt(i), record);
    record.number = i;
    const std::string prefix = "{\"number\": " + std::to_string(i) + ", ";
    EXPECT_EQ(FormatRecord(record, DumpFormat::Jsonl), prefix + expected.substr(1)) << i;
  }
}

TEST(AppendUtf8, EncodesEveryPlaneAndReplacesLoneSurrogates) {
  std::string out = "x";
  AppendUtf8(out, u"a\u00e9\u4e8b\U0001F600");
  EXPECT_EQ(out, "xa\xC3\xA9\xE4\xBA\x8B\xF0\x9F\x98\x80");
  const char16_t lone[] = {0xD83D, u'b', 0xDE00, 0xD83D};
  AssignUtf8(out, std::u16string_view(lone, 4));
  EXPECT_EQ(out, "\xEF\xBF\xBD" "b" "\xEF\xBF\xBD\xEF\xBF\xBD");
}

}  // namespace
}  // namespace corvane::cli
