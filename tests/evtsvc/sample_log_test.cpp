// The sample log, a real dirty Application log of a Chinese system, read through
// OpenBackupEventLogA/ReadEventLogA, against its reference decoding. This program runs twice:
// under code page 936, where every string converts exactly, and under 1252, where the Chinese
// characters cannot be represented.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "ReferenceLog.h"
#include "ServiceLibrary.h"
#include "TestSupport.h"

namespace corvane::evtsvc::test {
namespace {

const char kSample[] = CORVANE_SHARED_DIR "/data/AppEvent.Evt";
const char kReference[] = CORVANE_SHARED_DIR "/data/AppEvent.reference.jsonl";

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::wstring FromCodePage(const std::string& text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string SidText(const std::vector<uint8_t>& sid) {
  char* text = nullptr;
  if (!ConvertSidToStringSidA(const_cast<uint8_t*>(sid.data()), &text)) return "(invalid SID)";
  std::string result = text;
  LocalFree(text);
  return result;
}

// Under 1252 every character of the sample is either ASCII, kept as it is, or Chinese, which
// becomes '?'; the two ideographic punctuation marks become one byte each.
void ExpectSameIn1252(const std::wstring& expected, const std::string& actual, const std::string& what) {
  ASSERT_EQ(actual.size(), expected.size()) << what;
  for (size_t i = 0; i < expected.size(); ++i) {
    const wchar_t c = expected[i];
    if (c < 0x80) {
      EXPECT_EQ(actual[i], static_cast<char>(c)) << what << " at " << i;
    } else if (c >= 0x4E00 && c <= 0x9FFF) {
      EXPECT_EQ(actual[i], '?') << what << " at " << i;
    }
  }
}

class TSampleLog : public testing::Test {
 protected:
  void SetUp() override {
    reference_ = LoadReference(kReference);
    ASSERT_EQ(reference_.size(), 121u);
    log_.reset(svc_.OpenBackupEventLogA(nullptr, kSample));
    ASSERT_TRUE(log_) << GetLastError();
  }

  void ExpectMatchesReference(const TReadRecord& actual, const TReferenceRecord& expected) {
    const std::string what = "record " + std::to_string(expected.record);
    EXPECT_EQ(actual.recordNumber, expected.record) << what;
    EXPECT_EQ(actual.timeGenerated, expected.generated) << what;
    EXPECT_EQ(actual.timeWritten, expected.written) << what;
    EXPECT_EQ(actual.eventId, expected.eventId) << what;
    EXPECT_EQ(actual.eventType, expected.type) << what;
    EXPECT_EQ(actual.eventCategory, expected.category) << what;
    EXPECT_EQ(actual.source, Narrow(expected.source)) << what;
    EXPECT_EQ(actual.computer, Narrow(expected.computer)) << what;
    if (expected.sid) {
      EXPECT_EQ(SidText(actual.sid), *expected.sid) << what;
    } else {
      EXPECT_TRUE(actual.sid.empty()) << what;
    }
    EXPECT_EQ(actual.data, expected.data) << what;
    ASSERT_EQ(actual.strings.size(), expected.strings.size()) << what;
    for (size_t i = 0; i < expected.strings.size(); ++i) {
      const std::string where = what + " string " + std::to_string(i);
      if (GetACP() == 936) {
        EXPECT_EQ(FromCodePage(actual.strings[i]), expected.strings[i]) << where;
      } else {
        ExpectSameIn1252(expected.strings[i], actual.strings[i], where);
      }
    }
  }

  const TServiceLibrary& svc_ = TServiceLibrary::Get();
  std::vector<TReferenceRecord> reference_;
  TUniqueLog log_;
};

TEST_F(TSampleLog, RunsUnderTheCodePageItWasStartedFor) { EXPECT_EQ(GetACP(), CORVANE_EXPECTED_ACP); }

TEST_F(TSampleLog, CountsAndNumbersAllRecords) {
  DWORD count = 0;
  DWORD oldest = 0;
  ASSERT_TRUE(svc_.GetNumberOfEventLogRecords(log_.get(), &count));
  ASSERT_TRUE(svc_.GetOldestEventLogRecord(log_.get(), &oldest));
  EXPECT_EQ(count, 121u);
  EXPECT_EQ(oldest, 1u);
}

TEST_F(TSampleLog, ForwardsReadMatchesTheReferenceInEveryField) {
  const std::vector<TReadRecord> records =
      ReadAll(log_.get(), EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ);
  ASSERT_EQ(records.size(), reference_.size());
  for (size_t i = 0; i < records.size(); ++i) ExpectMatchesReference(records[i], reference_[i]);

  // The sample has Chinese strings (28 records), SIDs (9) and data (17): all were compared.
  const auto chinese = std::count_if(reference_.begin(), reference_.end(), [](const TReferenceRecord& r) {
    return std::any_of(r.strings.begin(), r.strings.end(), [](const std::wstring& s) {
      return std::any_of(s.begin(), s.end(), [](wchar_t c) { return c >= 0x4E00; });
    });
  });
  EXPECT_EQ(chinese, 28);
  EXPECT_EQ(std::count_if(reference_.begin(), reference_.end(), [](auto& r) { return r.sid.has_value(); }), 9);
  EXPECT_EQ(std::count_if(reference_.begin(), reference_.end(), [](auto& r) { return !r.data.empty(); }), 17);
}

TEST_F(TSampleLog, BackwardsReadGivesTheSameRecordsNewestFirst) {
  const std::vector<TReadRecord> records =
      ReadAll(log_.get(), EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ, 4096);
  ASSERT_EQ(records.size(), reference_.size());
  for (size_t i = 0; i < records.size(); ++i) {
    ExpectMatchesReference(records[i], reference_[reference_.size() - 1 - i]);
  }
}

TEST_F(TSampleLog, BackupFileRefusesChanges) {
  // A backup opened for reading can be neither written nor cleared.
  EXPECT_FALSE(Report(log_.get(), EVENTLOG_INFORMATION_TYPE, 1, {"x"}));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(svc_.ClearEventLogA(log_.get(), nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  DWORD count = 0;
  ASSERT_TRUE(svc_.GetNumberOfEventLogRecords(log_.get(), &count));
  EXPECT_EQ(count, 121u);
}

// Copies of the sample with the 61st record's signature, or its length, broken: the other 120
// records read in order both ways, the broken one cannot be sought, and the copy is not changed.
TEST_F(TSampleLog, ACopyWithADamagedRecordGivesEveryOtherRecord) {
  const std::string sample = Contents(kSample);
  size_t at = 48;
  for (int i = 1; i < 61; ++i) at += *reinterpret_cast<const uint32_t*>(sample.data() + at);
  std::vector<TReferenceRecord> others = reference_;
  others.erase(others.begin() + 60);
  const TScratchFolder folder("CorvaneSvcDamagedSample");
  for (const size_t word : {at + 4, at}) {
    SCOPED_TRACE(word == at ? "length" : "signature");
    std::string bytes = sample;
    bytes[word + 1] ^= 0x40;
    const std::string copy = folder.File("damaged.evt");
    WriteFile(copy, bytes);
    {
      const TUniqueLog damaged(svc_.OpenBackupEventLogA(nullptr, copy.c_str()));
      const TUniqueLog newestFirst(svc_.OpenBackupEventLogA(nullptr, copy.c_str()));
      ASSERT_TRUE(damaged && newestFirst) << GetLastError();
      DWORD count = 0;
      ASSERT_TRUE(svc_.GetNumberOfEventLogRecords(damaged.get(), &count));
      EXPECT_EQ(count, 120u);
      const auto forwards = ReadAll(damaged.get(), EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ);
      ASSERT_EQ(forwards.size(), others.size());
      for (size_t i = 0; i < forwards.size(); ++i) ExpectMatchesReference(forwards[i], others[i]);
      const auto backwards =
          ReadAll(newestFirst.get(), EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ, 4096);
      ASSERT_EQ(backwards.size(), others.size());
      EXPECT_EQ(backwards.front().recordNumber, 121u);
      EXPECT_EQ(backwards[60].recordNumber, 60u);
      const DWORD seek = EVENTLOG_SEEK_READ | EVENTLOG_FORWARDS_READ;
      EXPECT_EQ(ReadOnce(damaged.get(), seek, 61, 4096).error,
                static_cast<DWORD>(ERROR_INVALID_PARAMETER));
      EXPECT_EQ(ReadOnce(damaged.get(), seek, 62, 4096).records.at(0).recordNumber, 62u);
    }
    EXPECT_EQ(Contents(copy), bytes);
  }
}

}  // namespace
}  // namespace corvane::evtsvc::test
