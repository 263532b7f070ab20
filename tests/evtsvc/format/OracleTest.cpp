// An independent reader (evtexport and evtinfo from libevt-utils) reads the logs we write.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <sstream>

#include "EvtFile.h"
#include "EvtLayout.h"
#include "EvtTestSupport.h"
#include "framework/Utf8.h"

namespace corvane::evt {
namespace {

using test::MakeRecord;

std::string Output(const std::string& command) {
  std::string output;
#ifndef _WIN32
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return output;
  char buffer[4096];
  while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe.get())) output.append(buffer, n);
#else
  (void)command;
#endif
  return output;
}

bool ToolsPresent() {
#ifdef _WIN32
  return false;
#else
  return std::system("command -v evtexport >/dev/null 2>&1 && command -v evtinfo >/dev/null 2>&1") == 0;
#endif
}

// evtexport's "Key<tabs>: value" blocks, one per event.
std::vector<std::multimap<std::string, std::string>> ParseExport(const std::string& text) {
  std::vector<std::multimap<std::string, std::string>> events;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string key = line.substr(0, colon);
    while (!key.empty() && key.back() == '\t') key.pop_back();
    if (key == "String" && line.find(':', colon + 1) != std::string::npos) {
      const size_t second = line.find(':', colon + 1);
      key = "String";
      const std::string value = line.substr(second + 2);
      if (!events.empty()) events.back().emplace(key, value);
      continue;
    }
    const std::string value = colon + 2 <= line.size() ? line.substr(colon + 2) : "";
    if (key == "Event number") events.emplace_back();
    if (!events.empty()) events.back().emplace(key, value);
  }
  return events;
}

std::string ExportTime(uint32_t seconds) {
  // All test records are written on 13 September 2020.
  const uint32_t day = seconds - 1'599'955'200;
  char text[40];
  std::snprintf(text, sizeof text, "Sep 13, 2020 %02u:%02u:%02u UTC", day / 3600, day / 60 % 60,
                day % 60);
  return text;
}

std::string One(const std::multimap<std::string, std::string>& event, const std::string& key) {
  auto it = event.find(key);
  return it == event.end() ? "<missing>" : it->second;
}

using Event = std::multimap<std::string, std::string>;

void ExpectSame(const Event& event, const Record& record) {
  SCOPED_TRACE("record " + std::to_string(record.recordNumber));
  EXPECT_EQ(One(event, "Event number"), std::to_string(record.recordNumber));
  EXPECT_EQ(One(event, "Creation time"), ExportTime(record.timeGenerated));
  EXPECT_EQ(One(event, "Written time"), ExportTime(record.timeWritten));
  EXPECT_NE(One(event, "Event type").find("(" + std::to_string(record.eventType) + ")"),
            std::string::npos);
  EXPECT_EQ(One(event, "Source name"), ToUtf8(record.sourceName));
  EXPECT_EQ(One(event, "Computer name"), ToUtf8(record.computerName));
  EXPECT_EQ(One(event, "Event category"), std::to_string(record.eventCategory));
  EXPECT_NE(One(event, "Event identifier").find("(" + std::to_string(record.eventId) + ")"),
            std::string::npos);
  EXPECT_EQ(event.count("User security identifier"), record.sid.empty() ? 0u : 1u);
  std::vector<std::string> strings;
  for (auto [it, end] = event.equal_range("String"); it != end; ++it) strings.push_back(it->second);
  std::vector<std::string> expected;
  for (const auto& text : record.strings) expected.push_back(ToUtf8(text));
  EXPECT_EQ(strings, expected);
}

class TOracle : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!ToolsPresent()) GTEST_SKIP() << "evtexport/evtinfo (libevt-utils) not installed";
    TFileStorage file(wrapped_, TFileStorage::TMode::Create);
    TLogFile::Create(file, kSizeStep, 0);
    auto log = TLogFile::Open(file, false);
    for (uint32_t i = 0; i < 5000 && log->OldestRecordNumber() < 1500; ++i) {
      log->Append(MakeRecord(i, i % 300, 1'600'000'000 + i));
    }
    ASSERT_TRUE(log->header().flags & kFlagWrapped);
    ASSERT_LT(log->header().endOffset, log->header().startOffset) << "records go round";
    written_ = test::ReadForwards(*log);
    TFileStorage backup(backup_, TFileStorage::TMode::Create);
    log->CopyTo(backup);
  }

  const std::string wrapped_ = test::OutputFolder() + "/oracle-wrapped.evt";
  const std::string backup_ = test::OutputFolder() + "/oracle-backup.evt";
  std::vector<Record> written_;
};

// A live log after many wraps, its records split at the end of the file as the system splits
// them: the reader walks the ring from the oldest record and reads every one as regular. (It
// marks every log in which a record crosses the end of the file "corrupted", while reading all
// of it; that mark is not what is checked here.)
TEST_F(TOracle, ReadsTheWrappedLogInFull) {
  const std::string info = Output("evtinfo '" + wrapped_ + "' 2>&1");
  EXPECT_NE(info.find("Number of records\t\t: " + std::to_string(written_.size())),
            std::string::npos)
      << info;
  EXPECT_NE(info.find("Number of recovered records\t: 0"), std::string::npos) << info;
  const auto items = ParseExport(Output("evtexport '" + wrapped_ + "' 2>/dev/null"));
  ASSERT_EQ(items.size(), written_.size());
  for (size_t i = 0; i < items.size(); ++i) ExpectSame(items[i], written_[i]);
}

// A backup holds the records in order from just after the header: read in full.
TEST_F(TOracle, ReadsTheBackupInFull) {
  const std::string info = Output("evtinfo '" + backup_ + "' 2>&1");
  EXPECT_EQ(info.find("corrupted"), std::string::npos) << info;
  EXPECT_NE(info.find("Number of records\t\t: " + std::to_string(written_.size())),
            std::string::npos)
      << info;
  EXPECT_NE(info.find("Number of recovered records\t: 0"), std::string::npos) << info;
  const auto items = ParseExport(Output("evtexport '" + backup_ + "' 2>/dev/null"));
  ASSERT_EQ(items.size(), written_.size());
  for (size_t i = 0; i < items.size(); ++i) ExpectSame(items[i], written_[i]);
}

// Copies of the sample log and of the wrapped log with one record's signature broken (the
// sample's 61st, a middle one of the wrapped log): the reader's regular and recovered records
// together are the records read here. (With the record that goes round the end of the file
// broken, the reader recovers none of those after the header; all of them are read here.)
TEST_F(TOracle, DamagedCopiesGiveTheRecordsTheReaderRecovers) {
  for (const std::string& source : {std::string(CORVANE_SHARED_DIR) + "/data/AppEvent.Evt", wrapped_}) {
    SCOPED_TRACE(source);
    TFileStorage original(source, TFileStorage::TMode::ReadOnly);
    std::vector<uint8_t> bytes(original.Size());
    original.Read(0, bytes.data(), bytes.size());
    MemoryStorage damaged(bytes);
    const std::vector<uint32_t> offsets = test::RecordOffsets(damaged);
    const uint32_t broken = source == wrapped_ ? offsets[offsets.size() / 2] : offsets[60];
    const layout::TRing ring(damaged, static_cast<uint32_t>(damaged.Size()));
    const uint8_t zero[4] = {};
    layout::WriteRing(damaged, ring, ring.Advance(broken, 4), zero, sizeof zero);
    const std::string path = test::OutputFolder() + "/oracle-damaged.evt";
    {
      TFileStorage out(path, TFileStorage::TMode::Create);
      out.Write(0, damaged.bytes().data(), damaged.bytes().size());
    }
    // Number, source and computer of each record: the fields that stand on one line.
    std::map<std::string, std::string> theirs;
    for (const auto& event : ParseExport(Output("evtexport -m all '" + path + "' 2>/dev/null"))) {
      theirs[One(event, "Event number")] = One(event, "Source name") + "@" + One(event, "Computer name");
    }
    std::map<std::string, std::string> ours;
    for (const Record& record : test::ReadForwards(*TLogFile::Open(damaged, true))) {
      ours[std::to_string(record.recordNumber)] =
          ToUtf8(record.sourceName) + "@" + ToUtf8(record.computerName);
    }
    EXPECT_EQ(ours.size(), TLogFile::Open(original, true)->Count() - 1);
    EXPECT_EQ(ours, theirs);
  }
}

}  // namespace
}  // namespace corvane::evt
