// The real sample log, read through the bundled event-log service with the 8-bit functions
// under code page 936, decodes into items that match the independent reference decoding in
// every field, user names of well-known accounts included.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <string>
#include <vector>

#include "ReferenceLog.h"
#include "core/EventItem.h"
#include "core/SidStore.h"
#include "system/NT_vs_95.h"
#include "system/SystemTables.h"

namespace corvane {
namespace {

using evtsvc::test::TReferenceRecord;

const char kSample[] = CORVANE_SHARED_DIR "/data/AppEvent.Evt";
const char kReference[] = CORVANE_SHARED_DIR "/data/AppEvent.reference.jsonl";

std::wstring FromAnsi(const std::string& text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(),
                                    static_cast<int>(text.size()), nullptr, 0);
  EXPECT_GT(n, 0) << "not valid in the ANSI code page: " << text;
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string SidText(const uint8_t* sid, int32_t length) {
  if (!sid || length < 8) return {};
  uint64_t authority = 0;
  for (int i = 2; i < 8; ++i) authority = authority << 8 | sid[i];
  std::string text = "S-" + std::to_string(sid[0]) + "-" + std::to_string(authority);
  for (int i = 0; i < sid[1] && 8 + 4 * i + 4 <= length; ++i) {
    const uint8_t* p = sid + 8 + 4 * i;
    text += "-" + std::to_string(uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 |
                                 uint32_t{p[3]} << 24);
  }
  return text;
}

// Every record of the log through OpenBackupEventLogA and ReadEventLogA (forwards, blocks of
// 16384 bytes as the component reads them), each decoded into an item.
std::vector<std::unique_ptr<TEventItem>> ReadSample() {
  std::vector<std::unique_ptr<TEventItem>> items;
  HANDLE log = EventLogApi.OpenBackupEventLogA(nullptr, kSample);
  EXPECT_NE(log, nullptr) << "error " << GetLastError();
  if (!log) return items;
  std::vector<uint8_t> block(16384);
  for (;;) {
    DWORD read = 0;
    DWORD needed = 0;
    if (!EventLogApi.ReadEventLogA(log, EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ, 0,
                                   block.data(), static_cast<DWORD>(block.size()), &read,
                                   &needed)) {
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HANDLE_EOF));
      break;
    }
    for (size_t offset = 0; offset < read;) {
      auto item = std::make_unique<TEventItem>(nullptr);
      item->LoadFromRecord(block.data() + offset, read - offset);
      item->SetNumber(static_cast<int32_t>(items.size()));
      offset += *reinterpret_cast<const uint32_t*>(block.data() + offset);
      items.push_back(std::move(item));
    }
  }
  EventLogApi.CloseEventLog(log);
  return items;
}

class SampleLog : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SetEnvironmentVariableA(kSystemLibraryVariable, NTEVTSVC_PATH);
    BindSystemTables();
    GlobalSidStore().Clear();
  }
};

TEST_F(SampleLog, RunsUnderCodePage936) { ASSERT_EQ(GetACP(), 936u); }

TEST_F(SampleLog, EveryRecordMatchesTheReference) {
  ASSERT_EQ(GetACP(), 936u);
  ASSERT_TRUE(EventLogApi.ReadEventLogA) << "the service did not bind from " << NTEVTSVC_PATH;
  const std::vector<TReferenceRecord> reference = evtsvc::test::LoadReference(kReference);
  const auto items = ReadSample();
  ASSERT_EQ(items.size(), reference.size());
  ASSERT_EQ(items.size(), 121u);

  int withSid = 0, withData = 0, withChinese = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    TEventItem& item = *items[i];
    const TReferenceRecord& ref = reference[i];
    SCOPED_TRACE("record " + std::to_string(ref.record));
    EXPECT_DOUBLE_EQ(item.TimeGenerated(), 25569.0 + ref.generated / 86400.0);
    EXPECT_DOUBLE_EQ(item.TimeWritten(), 25569.0 + ref.written / 86400.0);
    EXPECT_EQ(item.EventId(), ref.eventId);
    EXPECT_EQ(EventTypeToSystem(item.EventType()), ref.type);
    EXPECT_EQ(item.EventCategory(), ref.category);
    EXPECT_EQ(FromAnsi(item.SourceName()), ref.source);
    EXPECT_EQ(FromAnsi(item.ComputerName()), ref.computer);
    ASSERT_EQ(item.Strings().Count(), static_cast<int>(ref.strings.size()));
    for (int s = 0; s < item.Strings().Count(); ++s) {
      EXPECT_EQ(FromAnsi(item.Strings()[s]), ref.strings[static_cast<size_t>(s)]) << "string " << s;
      for (unsigned char c : item.Strings()[s]) withChinese += c >= 0x80;
    }
    const std::vector<uint8_t> data(item.Data(), item.Data() + item.DataLength());
    EXPECT_EQ(data, ref.data);
    withData += item.DataLength() > 0;
    EXPECT_EQ(item.DataBytes().Count(), static_cast<int32_t>(ref.data.size()));

    if (ref.sid) {
      ++withSid;
      EXPECT_EQ(SidText(item.Sid(), item.SidLength()), *ref.sid);
      if (*ref.sid == "S-1-5-18") {
        EXPECT_EQ(item.Username(), "\\SYSTEM");
      }
    } else {
      EXPECT_EQ(item.SidLength(), 0);
      EXPECT_EQ(item.Username(), "N/A");
    }
  }
  EXPECT_EQ(withSid, 9);
  EXPECT_EQ(withData, 17);
  EXPECT_GT(withChinese, 0) << "the Chinese strings came through as 8-bit text";

  // The first record, 2020-04-26 03:19:48 UTC, as an OLE date worked out by hand.
  EXPECT_NEAR(items[0]->TimeGenerated(), 43947.0 + (3 * 3600 + 19 * 60 + 48) / 86400.0, 1e-9);
}

}  // namespace
}  // namespace corvane
