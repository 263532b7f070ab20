// Opening (live log, backup file, the blank-name rule, failures), writing events, clearing,
// backing up, the user's SID, the published properties, opening after reading saved state, and
// the list of logs and sources.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ComponentTestSupport.h"
#include "StandIns.h"
#include "core/EventLog.h"
#include "framework/OleSysError.h"
#include "framework/PropertyInfo.h"
#include "system/AdvApi32.h"
#include "system/TextLimits.h"

namespace corvane {
namespace {

using component_test::CurrentUserSid;
using component_test::NotifyStandIn;
using component_test::RemoteMachineStandIn;
using component_test::TestLog;
using component_test::WriteEvents;

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EOleSysError& error) {
    return error.Message();
  }
  return "<no error>";
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.rfind(prefix, 0) == 0;
}

class WriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    eventLog_ = std::make_unique<TVEVivudAre>(nullptr);
    eventLog_->SetSourceName(log_.Name());
  }
  void Open() {
    eventLog_->SetActive(true);
    ASSERT_TRUE(eventLog_->Active());
  }
  // The newest record, read by a second component so that the first one's cache plays no part.
  std::unique_ptr<TVEVivudAre> Reader() {
    auto reader = std::make_unique<TVEVivudAre>(nullptr);
    reader->SetSourceName(log_.Name());
    reader->SetActive(true);
    return reader;
  }

  TestLog log_{"Write"};
  std::unique_ptr<TVEVivudAre> eventLog_;
};

// Opening

TEST_F(WriteTest, OpeningTheLiveLogNeedsASourceName) {
  eventLog_->SetSourceName("");
  EXPECT_EQ(ErrorOf([&] { eventLog_->SetActive(true); }), "Unknown SourceName");
  EXPECT_FALSE(eventLog_->Active());
  EXPECT_EQ(eventLog_->Handle(), nullptr);
}

TEST_F(WriteTest, ABackupFileNameOfBlanksOnlyOpensTheLiveLog) {
  WriteEvents(log_.Name(), 2);
  eventLog_->SetBackupFileName("   ");
  Open();
  EXPECT_EQ(eventLog_->Count(), 2);
  WriteEvents(log_.Name(), 1);
  EXPECT_EQ(eventLog_->Count(), 3);  // live: new records show
}

TEST_F(WriteTest, AFailedOpeningLeavesTheComponentClosed) {
  eventLog_->SetBackupFileName(log_.Scratch("missing.evt"));
  EXPECT_TRUE(StartsWith(ErrorOf([&] { eventLog_->SetActive(true); }), "2: "));
  EXPECT_FALSE(eventLog_->Active());
  EXPECT_EQ(eventLog_->Count(), 0);
}

TEST_F(WriteTest, ALogWhoseChangeNotificationFailsIsClosedAgain) {
  NotifyStandIn notify(ERROR_ACCESS_DENIED);
  EXPECT_TRUE(StartsWith(ErrorOf([&] { eventLog_->SetActive(true); }), "5: "));
  EXPECT_EQ(notify.notifyCalls, 1);
  EXPECT_EQ(notify.closeCalls, 1);
  EXPECT_FALSE(eventLog_->Active());
  EXPECT_EQ(eventLog_->Handle(), nullptr);
}

TEST_F(WriteTest, TheLocalLiveLogAsksForChangeNotificationARemoteOneDoesNot) {
  NotifyStandIn notify;
  Open();
  EXPECT_EQ(notify.notifyCalls, 1);
  eventLog_->SetActive(false);

  RemoteMachineStandIn remote("\\\\FARAWAY");
  eventLog_->SetMachineName("\\\\FARAWAY");
  Open();
  EXPECT_EQ(remote.servers, std::vector<std::string>{"\\\\FARAWAY"});
  EXPECT_EQ(notify.notifyCalls, 1);
}

TEST_F(WriteTest, NamesChangedWhileOpenAreUsedAtTheNextOpening) {
  TestLog other("Other");
  WriteEvents(log_.Name(), 1);
  WriteEvents(other.Name(), 3);
  Open();
  eventLog_->SetSourceName(other.Name());
  EXPECT_EQ(eventLog_->Count(), 1);
  eventLog_->SetActive(false);
  Open();
  EXPECT_EQ(eventLog_->Count(), 3);
}

TEST_F(WriteTest, NamesTheSystemWouldReadOtherwiseAreRefusedAndTheOldOnesKept) {
  const std::string withNul("x.txt\0.evt", 10);
  EXPECT_EQ(ErrorOf([&] { eventLog_->SetBackupFileName(withNul); }),
            "BackupFileName cannot hold a NUL character (code 0): the system would read only the "
            "part before it.");
  EXPECT_TRUE(StartsWith(ErrorOf([&] { eventLog_->SetSourceName(withNul); }),
                         "SourceName cannot hold a NUL character"));
  EXPECT_TRUE(StartsWith(ErrorOf([&] { eventLog_->SetMachineName(withNul); }),
                         "MachineName cannot hold a NUL character"));
  EXPECT_EQ(ErrorOf([&] { eventLog_->SetSourceName(std::string(65536, 's')); }),
            "SourceName can hold at most 255 characters; this one has 65536.");
  EXPECT_TRUE(StartsWith(ErrorOf([&] { eventLog_->SetBackupFileName(std::string(260, 'b')); }),
                         "BackupFileName can hold at most 259 characters"));
  EXPECT_TRUE(StartsWith(ErrorOf([&] { eventLog_->SetMachineName(std::string(256, 'm')); }),
                         "MachineName can hold at most 255 characters"));
  EXPECT_EQ(eventLog_->SourceName(), log_.Name());
  EXPECT_EQ(eventLog_->BackupFileName(), "");
  EXPECT_EQ(eventLog_->GetMachineName(), "");
  Open();
}

// Writing

TEST_F(WriteTest, AddWithoutTheUserNameLogsOneStringAndNoSid) {
  Open();
  eventLog_->SetIncludeUserName(false);
  eventLog_->Add(TEventType::Warning, "x");
  auto reader = Reader();
  ASSERT_EQ(reader->Count(), 1);
  TEventItem& item = reader->Objects(0);
  EXPECT_EQ(item.EventType(), TEventType::Warning);
  EXPECT_EQ(item.EventId(), 0u);
  EXPECT_EQ(item.EventCategory(), 0);
  ASSERT_EQ(item.Strings().Count(), 1);
  EXPECT_EQ(item.Strings()[0], "x");
  EXPECT_EQ(item.SidLength(), 0);
  EXPECT_EQ(item.DataLength(), 0);
  EXPECT_EQ(item.SourceName(), log_.Name());
}

TEST_F(WriteTest, AddWithTheUserNameCarriesTheUsersSidLookedUpOnce) {
  const std::vector<uint8_t> expected = CurrentUserSid();
  ASSERT_FALSE(expected.empty()) << "the system names no SID for this user";
  int lookups = 0;
  static int* counter = nullptr;
  static decltype(&::LookupAccountNameA) real = nullptr;
  counter = &lookups;
  real = EventLogApi.LookupAccountNameA.Get();
  ScopedEntry<decltype(&::LookupAccountNameA)> wrap(
      EventLogApi.LookupAccountNameA,
      [](LPCSTR system, LPCSTR name, PSID sid, LPDWORD sidSize, LPSTR domain,
         LPDWORD domainSize, PSID_NAME_USE use) WINAPI -> BOOL {
        ++*counter;
        return real(system, name, sid, sidSize, domain, domainSize, use);
      });
  EXPECT_TRUE(eventLog_->IncludeUserName());
  eventLog_->Add(TEventType::Information, "first");
  const int afterFirst = lookups;
  eventLog_->Add(TEventType::Information, "second");
  EXPECT_GT(afterFirst, 0);
  EXPECT_EQ(lookups, afterFirst);

  auto reader = Reader();
  ASSERT_EQ(reader->Count(), 2);
  for (int i = 0; i < 2; ++i) {
    TEventItem& item = reader->Objects(i);
    ASSERT_EQ(item.SidLength(), static_cast<int32_t>(expected.size()));
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), item.Sid()));
  }
}

TEST_F(WriteTest, AUserSidThatCannotBeFoundIsNotAskedForAgain) {
  static int lookups = 0;
  lookups = 0;
  ScopedEntry<decltype(&::LookupAccountNameA)> fail(
      EventLogApi.LookupAccountNameA,
      [](LPCSTR, LPCSTR, PSID, LPDWORD, LPSTR, LPDWORD, PSID_NAME_USE) WINAPI -> BOOL {
        ++lookups;
        SetLastError(ERROR_NONE_MAPPED);
        return FALSE;
      });
  eventLog_->Add(TEventType::Error, "one");
  eventLog_->Add(TEventType::Error, "two");
  EXPECT_EQ(lookups, 1);
  EXPECT_EQ(eventLog_->GetUserSid(), nullptr);
  auto reader = Reader();
  ASSERT_EQ(reader->Count(), 2);
  EXPECT_EQ(reader->Objects(1).SidLength(), 0);
}

TEST_F(WriteTest, AddObjectWritesTypeCategoryIdentifierStringsAndData) {
  TEventItem item(nullptr);
  item.SetEventType(TEventType::AuditFailure);
  item.SetEventCategory(7);
  item.SetEventId(0xC0001234u);
  item.Strings().Add("alpha");
  item.Strings().Add("");
  item.Strings().Add("gamma");
  const uint8_t data[] = {0, 1, 2, 0xFF};
  item.SetData(data, sizeof(data));
  item.SetSourceName("not used");
  item.SetComputerName("not used");
  eventLog_->SetIncludeUserName(false);
  eventLog_->AddObject(item);

  auto reader = Reader();
  ASSERT_EQ(reader->Count(), 1);
  TEventItem& logged = reader->Objects(0);
  EXPECT_EQ(logged.EventType(), TEventType::AuditFailure);
  EXPECT_EQ(logged.EventCategory(), 7);
  EXPECT_EQ(logged.EventId(), 0xC0001234u);
  ASSERT_EQ(logged.Strings().Count(), 3);
  EXPECT_EQ(logged.Strings()[0], "alpha");
  EXPECT_EQ(logged.Strings()[1], "");
  EXPECT_EQ(logged.Strings()[2], "gamma");
  ASSERT_EQ(logged.DataLength(), 4);
  EXPECT_TRUE(std::equal(data, data + 4, logged.Data()));
  EXPECT_EQ(logged.SourceName(), log_.Name());
}

TEST_F(WriteTest, TheWriteObjectIsWrittenLikeAnyItem) {
  eventLog_->SetIncludeUserName(false);
  eventLog_->WriteObject().SetEventId(42);
  eventLog_->WriteObject().Strings().Add("composed");
  eventLog_->AddObject(eventLog_->WriteObject());
  auto reader = Reader();
  ASSERT_EQ(reader->Count(), 1);
  EXPECT_EQ(reader->Objects(0).EventId(), 42u);
  EXPECT_EQ(reader->Objects(0).Strings()[0], "composed");
}

TEST_F(WriteTest, WritingNeedsASourceName) {
  eventLog_->SetSourceName("");
  EXPECT_EQ(ErrorOf([&] { eventLog_->Add(TEventType::Success, "x"); }), "Unknown SourceName");
  EXPECT_EQ(ErrorOf([&] { eventLog_->AddObject(eventLog_->WriteObject()); }),
            "Unknown SourceName");
}

TEST_F(WriteTest, WritesBeyondTheSystemsLimitsAreRefusedAndNothingIsWritten) {
  eventLog_->SetIncludeUserName(false);
  const std::string longest(kMaxEventText - 1, 'a');
  const std::string tooLong(kMaxEventText, 'a');
  EXPECT_EQ(ErrorOf([&] { eventLog_->Add(TEventType::Success, tooLong); }),
            "The text of Add can hold at most 16382 characters; this one has 16383. Nothing was "
            "written.");
  EXPECT_TRUE(StartsWith(ErrorOf([&] { eventLog_->Add(TEventType::Success, {"a\0b", 3}); }),
                         "The text of Add cannot hold a NUL character"));
  TEventItem item(nullptr);
  for (int i = 0; i <= kMaxInsertionStrings; ++i) item.Strings().Add("s");
  EXPECT_TRUE(StartsWith(ErrorOf([&] { eventLog_->AddObject(item); }),
                         "The event of AddObject can hold at most 4095 insertion strings"));
  item.Strings().Clear();
  item.Strings().Add("s");
  item.Strings().Add(std::string(kMaxInsertionString + 1, 'i'));
  EXPECT_EQ(ErrorOf([&] { eventLog_->AddObject(item); }),
            "The insertion string at index 1 of AddObject can hold at most 31839 characters; this "
            "one has 31840. Nothing was written.");
  item.Strings().Put(1, std::string("a\0b", 3));
  EXPECT_TRUE(StartsWith(ErrorOf([&] { eventLog_->AddObject(item); }),
                         "The insertion string at index 1 of AddObject cannot hold a NUL"));
  item.Strings().Put(1, std::string(kMaxInsertionString, 'i'));
  const std::vector<uint8_t> data(kMaxEventData + 1, 0xD7);
  item.SetData(data.data(), static_cast<int32_t>(data.size()));
  EXPECT_TRUE(StartsWith(ErrorOf([&] { eventLog_->AddObject(item); }),
                         "The event data of AddObject can hold at most 261991 bytes"));
  EXPECT_EQ(Reader()->Count(), 0);

  eventLog_->Add(TEventType::Success, longest);
  item.SetData(data.data(), static_cast<int32_t>(kMaxEventData));
  eventLog_->AddObject(item);
  item.SetData(nullptr, 0);
  item.Strings().Clear();
  for (int i = 0; i < kMaxInsertionStrings; ++i) item.Strings().Add("s");
  eventLog_->AddObject(item);
  auto reader = Reader();
  ASSERT_EQ(reader->Count(), 3);
  EXPECT_EQ(reader->Objects(0).Strings()[0], longest);
  EXPECT_EQ(reader->Objects(1).Strings()[1].size(), kMaxInsertionString);
  EXPECT_EQ(reader->Objects(1).DataLength(), static_cast<int32_t>(kMaxEventData));
  EXPECT_EQ(reader->Objects(2).Strings().Count(), kMaxInsertionStrings);
}

TEST_F(WriteTest, AFailedReportIsRaisedAfterTheSourceWasDeregistered) {
  static int deregistered = 0;
  static decltype(&::DeregisterEventSource) realDeregister = nullptr;
  deregistered = 0;
  realDeregister = EventLogApi.DeregisterEventSource.Get();
  ScopedEntry<decltype(&::ReportEventA)> fail(
      EventLogApi.ReportEventA,
      [](HANDLE, WORD, WORD, DWORD, PSID, WORD, DWORD, LPCSTR*, LPVOID) WINAPI -> BOOL {
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
      });
  ScopedEntry<decltype(&::DeregisterEventSource)> count(
      EventLogApi.DeregisterEventSource, [](HANDLE source) WINAPI -> BOOL {
        ++deregistered;
        SetLastError(ERROR_SUCCESS);
        return realDeregister(source);
      });
  EXPECT_TRUE(StartsWith(ErrorOf([&] { eventLog_->Add(TEventType::Error, "x"); }), "112: "));
  EXPECT_EQ(deregistered, 1);
}

// Clearing and backing up

TEST_F(WriteTest, ClearEmptiesTheOpenLog) {
  WriteEvents(log_.Name(), 4);
  Open();
  ASSERT_EQ(eventLog_->Count(), 4);
  eventLog_->Clear();
  EXPECT_EQ(eventLog_->Count(), 0);
  EXPECT_EQ(Reader()->Count(), 0);
}

TEST_F(WriteTest, ABackupOfTheLiveLogReopensAsABackupFileWithTheSameRecords) {
  WriteEvents(log_.Name(), 5, "kept", 100);
  Open();
  const std::string backup = log_.Scratch("copy.evt");
  // Set after opening: the live log stays open and is what gets backed up.
  eventLog_->SetBackupFileName(backup);
  eventLog_->BackupEventLog();
  EXPECT_NE(GetFileAttributesA(backup.c_str()), INVALID_FILE_ATTRIBUTES);
  // An existing target is refused.
  EXPECT_NE(ErrorOf([&] { eventLog_->BackupEventLog(); }), "<no error>");

  eventLog_->SetActive(false);
  eventLog_->SetSourceName("");  // not needed for a backup file
  Open();
  WriteEvents(log_.Name(), 1);  // the live log moves on; the backup does not
  ASSERT_EQ(eventLog_->Count(), 5);
  for (int i = 0; i < 5; ++i) {
    TEventItem& item = eventLog_->Objects(i);
    EXPECT_EQ(item.Strings()[0], "kept " + std::to_string(i));
    EXPECT_EQ(item.DataLength(), 100);
  }
}

// State

TEST_F(WriteTest, PublishesItsPropertiesWithTheirDefaults) {
  std::vector<std::string> names;
  const TPropInfo* active = nullptr;
  const TPropInfo* includeUserName = nullptr;
  for (const TPropInfo* property : eventLog_->ClassInfo().Properties()) {
    names.push_back(property->Name);
    if (property->Name == "Active") active = property;
    if (property->Name == "IncludeUserName") includeUserName = property;
  }
  const std::vector<std::string> expected = {"MachineName",     "Active",   "SourceName",
                                             "BackupFileName",  "IncludeUserName",
                                             "OnChange",        "LogonAs"};
  EXPECT_EQ(names, expected);
  ASSERT_NE(active, nullptr);
  EXPECT_FALSE(active->Default.has_value());  // always stored
  ASSERT_NE(includeUserName, nullptr);
  EXPECT_EQ(includeUserName->Default, 1);  // stored only when false

  active->SetValue(*eventLog_, true);
  EXPECT_TRUE(eventLog_->Active());
  EXPECT_NE(eventLog_->Handle(), nullptr);
}

TEST_F(WriteTest, ActiveReadFromSavedStateOpensTheLogOnlyWhenLoaded) {
  WriteEvents(log_.Name(), 2);
  TComponentReading reading(*eventLog_);
  eventLog_->SetActive(true);
  EXPECT_TRUE(eventLog_->Active());
  EXPECT_EQ(eventLog_->Handle(), nullptr);
  EXPECT_EQ(eventLog_->Count(), 0);
  reading.Complete();
  EXPECT_TRUE(eventLog_->Active());
  EXPECT_NE(eventLog_->Handle(), nullptr);
  EXPECT_EQ(eventLog_->Count(), 2);
}

// Logs and sources

TEST(EventSourcesTest, ListsTheLogsSortedThenTheirSourcesSortedWithReadAccessOnly) {
  TestLog first("SrcB", {"CvZetaSource", "CvAlphaSource"});
  TestLog second("SrcA", {"CvMidSource"});
  static std::vector<REGSAM> access;
  static decltype(&::RegOpenKeyExA) real = nullptr;
  access.clear();
  real = ServiceApi.RegOpenKeyExA.Get();
  ScopedEntry<decltype(&::RegOpenKeyExA)> watch(
      ServiceApi.RegOpenKeyExA,
      [](HKEY key, LPCSTR path, DWORD options, REGSAM sam, PHKEY result) WINAPI -> LONG {
        access.push_back(sam);
        return real(key, path, options, sam, result);
      });

  std::unique_ptr<TStringList> list = GetEventSources();
  ASSERT_GT(list->Count(), 0);
  const int firstLog = list->IndexOf(first.Name());
  const int secondLog = list->IndexOf(second.Name());
  const int alpha = list->IndexOf("CvAlphaSource");
  const int mid = list->IndexOf("CvMidSource");
  const int zeta = list->IndexOf("CvZetaSource");
  ASSERT_GE(firstLog, 0);
  ASSERT_GE(secondLog, 0);
  ASSERT_GE(alpha, 0);
  // The logs first (both of ours before any source), then the sources.
  EXPECT_LT(std::max(firstLog, secondLog), alpha);
  EXPECT_LT(alpha, mid);
  EXPECT_LT(mid, zeta);
  // Each part is sorted on its own; the logs are exactly the keys below the event-log key.
  HKEY logsKey = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\EventLog", 0,
                          KEY_READ, &logsKey),
            ERROR_SUCCESS);
  DWORD logCount = 0;
  RegQueryInfoKeyA(logsKey, nullptr, nullptr, nullptr, &logCount, nullptr, nullptr, nullptr,
                   nullptr, nullptr, nullptr, nullptr);
  const component_test::UniqueKey logsOwner(logsKey);
  ASSERT_LT(static_cast<int>(logCount), list->Count());
  EXPECT_GT(alpha, static_cast<int>(logCount) - 1);
  for (int i = 1; i < list->Count(); ++i) {
    if (i == static_cast<int>(logCount)) continue;
    EXPECT_LE(list->CompareStrings((*list)[i - 1], (*list)[i]), 0)
        << (*list)[i - 1] << " before " << (*list)[i];
  }
  ASSERT_FALSE(access.empty());
  for (REGSAM sam : access) EXPECT_EQ(sam, static_cast<REGSAM>(KEY_READ));
}

}  // namespace
}  // namespace corvane
