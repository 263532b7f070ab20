// Filling the tables of system functions at library start, with a recording platform and for real.
#include <gtest/gtest.h>

#include <algorithm>

#include "fake_platform.h"
#include "system/AdvApi32.h"
#include "system/ErrorText.h"
#include "system/NetApi32.h"
#include "system/NT_vs_95.h"
#include "system/Security.h"
#include "system/SystemTables.h"

namespace corvane {
namespace {

using testing::RecordingPlatform;

// Binds again with the real platform when a test is over, so later tests see the real tables.
class Binding : public ::testing::Test {
 protected:
  void TearDown() override { BindSystemTables(); }
};

std::vector<std::string> Names(const std::vector<std::string>& lookups, const std::string& library) {
  std::vector<std::string> names;
  for (const auto& l : lookups)
    if (l.rfind(library + "!", 0) == 0) names.push_back(l.substr(library.size() + 1));
  return names;
}

// Every entry of `table`, in its order, as "library!name".
template <class Table>
std::vector<std::string> EntriesOf(Table& table, const std::string& library) {
  std::vector<std::string> names;
  table.ForEach([&](TableEntryBase& entry) { names.push_back(library + "!" + entry.Name()); });
  return names;
}

TEST_F(Binding, NtLoadsTheSystemLibrariesTableByTableAndLooksUpEveryEntryInOrder) {
  RecordingPlatform fake;
  {
    ScopedPlatform use(fake);
    BindSystemTables();
  }
  EXPECT_EQ(fake.loads, (std::vector<std::string>{"advapi32.dll", "advapi32.dll", "netapi32.dll",
                                                  "advapi32.dll"}));
  std::vector<std::string> expected;
  for (auto&& part : {EntriesOf(EventLogApi, "advapi32.dll"), EntriesOf(ServiceApi, "advapi32.dll"),
                      EntriesOf(NetApi, "netapi32.dll"), EntriesOf(SecurityApi, "advapi32.dll")}) {
    expected.insert(expected.end(), part.begin(), part.end());
  }
  EXPECT_EQ(fake.lookups, expected);
  EXPECT_TRUE(fake.boxes.empty());
  EXPECT_EQ(EventLogApi.Library, "advapi32.dll");
  EXPECT_EQ(NetApi.Library, "netapi32.dll");
  EXPECT_TRUE(NetApi.NetUserEnum);
}

TEST_F(Binding, Windows95FamilyTakesEverythingFromTheAdministrationLibraryWithAnsiNetNames) {
  RecordingPlatform fake;
  fake.platformId = VER_PLATFORM_WIN32_WINDOWS;
  {
    ScopedPlatform use(fake);
    BindSystemTables();
  }
  EXPECT_EQ(fake.loads, std::vector<std::string>(4, "radmin32.dll"));
  const auto names = Names(fake.lookups, "radmin32.dll");
  ASSERT_EQ(names.size(), 116u);
  const std::vector<std::string> net(names.begin() + 42, names.begin() + 83);
  EXPECT_EQ(net[0], "NetServerEnumA");
  EXPECT_EQ(net[1], "NetApiBufferFree");
  EXPECT_EQ(net[2], "NetUserEnumA");
  EXPECT_EQ(net[40], "NetGetDCNameA");
  RecordingPlatform nt;
  {
    ScopedPlatform use(nt);
    BindSystemTables();
  }
  std::vector<std::string> ntNames;
  for (const auto& l : nt.lookups) ntNames.push_back(l.substr(l.find('!') + 1));
  for (size_t i = 0; i < names.size(); ++i) {
    if (i >= 42 && i < 83)
      EXPECT_EQ(names[i], ntNames[i] == "NetApiBufferFree" ? ntNames[i] : ntNames[i] + "A");
    else
      EXPECT_EQ(names[i], ntNames[i]) << "only network names change";
  }
}

TEST_F(Binding, AMissingLibraryShowsOneBoxPerTableAndLeavesThoseTablesEmpty) {
  RecordingPlatform fake;
  fake.missingLibraries = {"netapi32.dll"};
  {
    ScopedPlatform use(fake);
    BindSystemTables();
  }
  ASSERT_EQ(fake.boxes.size(), 1u);
  EXPECT_EQ(fake.boxes[0].text, "Cannot load library \"netapi32.dll\" or linked libraries");
  EXPECT_EQ(fake.boxes[0].caption, "Error");
  EXPECT_EQ(fake.boxes[0].style, static_cast<UINT>(MB_ICONERROR));
  EXPECT_FALSE(NetApi.NetServerEnum);
  EXPECT_FALSE(NetApi.NetApiBufferFree);
  EXPECT_TRUE(SecurityApi.LsaClose) << "start went on after the failure";
  EXPECT_EQ(fake.loads.back(), "advapi32.dll");
}

TEST_F(Binding, Windows95WithoutTheAdministrationLibraryShowsFourBoxes) {
  RecordingPlatform fake;
  fake.platformId = VER_PLATFORM_WIN32_WINDOWS;
  fake.missingLibraries = {"radmin32.dll"};
  {
    ScopedPlatform use(fake);
    BindSystemTables();
  }
  ASSERT_EQ(fake.boxes.size(), 4u);
  for (const auto& box : fake.boxes)
    EXPECT_EQ(box.text, "Cannot load library \"radmin32.dll\" or linked libraries");
  EXPECT_FALSE(EventLogApi.OpenEventLogA);
  EXPECT_FALSE(ServiceApi.RegOpenKeyExA);
}

TEST_F(Binding, AMissingExportLeavesOnlyThatEntryEmptyAndCallingItRaisesNamingIt) {
  RecordingPlatform fake;
  fake.missingExports = {"OpenEventLogA"};
  {
    ScopedPlatform use(fake);
    BindSystemTables();
  }
  EXPECT_TRUE(fake.boxes.empty());
  EXPECT_FALSE(EventLogApi.OpenEventLogA);
  EXPECT_TRUE(EventLogApi.ReadEventLogA);
  try {
    EventLogApi.OpenEventLogA(nullptr, "Application");
    FAIL() << "an empty entry was called";
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.ErrorCode(), kSystemErrorCode);
    EXPECT_EQ(e.Message().rfind("127: ", 0), 0u) << e.Message();
    EXPECT_NE(e.Message().find("OpenEventLogA"), std::string::npos) << e.Message();
    EXPECT_NE(e.Message().find("\"advapi32.dll\""), std::string::npos) << e.Message();
  }
}

TEST_F(Binding, TheSystemLibraryVariableServesAllFourTablesWithNtNames) {
  RecordingPlatform fake;
  fake.platformId = VER_PLATFORM_WIN32_WINDOWS;
  fake.environment[kSystemLibraryVariable] = "C:\\svc\\ntevtsvc.dll";
  {
    ScopedPlatform use(fake);
    BindSystemTables();
  }
  EXPECT_EQ(fake.loads, std::vector<std::string>(4, "C:\\svc\\ntevtsvc.dll"));
  const auto names = Names(fake.lookups, "C:\\svc\\ntevtsvc.dll");
  ASSERT_EQ(names.size(), 116u);
  EXPECT_EQ(names[42], "NetServerEnum");
  EXPECT_EQ(EventLogApi.Library, "C:\\svc\\ntevtsvc.dll");
}

TEST_F(Binding, AnEmptySystemLibraryVariableIsIgnored) {
  RecordingPlatform fake;
  fake.environment[kSystemLibraryVariable] = "";
  {
    ScopedPlatform use(fake);
    BindSystemTables();
  }
  EXPECT_EQ(fake.loads.front(), "advapi32.dll");
}

TEST_F(Binding, UnderWineEveryEntryTheLibraryCallsIsBound) {
  BindSystemTables();
  for (TableEntryBase* e : std::initializer_list<TableEntryBase*>{
           &EventLogApi.OpenEventLogA, &EventLogApi.OpenBackupEventLogA, &EventLogApi.CloseEventLog,
           &EventLogApi.ReadEventLogA, &EventLogApi.GetNumberOfEventLogRecords,
           &EventLogApi.ClearEventLogA, &EventLogApi.BackupEventLogA,
           &EventLogApi.RegisterEventSourceA, &EventLogApi.ReportEventA,
           &EventLogApi.DeregisterEventSource, &EventLogApi.NotifyChangeEventLog,
           &EventLogApi.LookupAccountNameA, &EventLogApi.LookupAccountSidA, &EventLogApi.EqualSid,
           &SecurityApi.GetLengthSid, &SecurityApi.LsaOpenPolicy,
           &SecurityApi.LsaQueryInformationPolicy, &SecurityApi.LsaFreeMemory,
           &SecurityApi.LsaClose, &SecurityApi.LsaNtStatusToWinError, &NetApi.NetServerEnum,
           &NetApi.NetLocalGroupEnum, &NetApi.NetGroupEnum, &NetApi.NetUserEnum,
           &NetApi.NetGetDCName, &NetApi.NetGetAnyDCName, &NetApi.NetApiBufferFree,
           &ServiceApi.RegConnectRegistryA, &ServiceApi.RegOpenKeyExA, &ServiceApi.RegEnumKeyExA,
           &ServiceApi.RegQueryValueExA, &ServiceApi.RegCloseKey,
           &ServiceApi.RegNotifyChangeKeyValue}) {
    EXPECT_TRUE(*e) << e->Name();
  }
  // A real call through a bound entry.
  BYTE sid[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof sid;
  ASSERT_TRUE(CreateWellKnownSid(WinLocalSystemSid, nullptr, sid, &size));
  EXPECT_EQ(SecurityApi.GetLengthSid(sid), 12u);
}

TEST_F(Binding, PlatformTestFollowsTheReportedPlatformAndRaisesOnlyARealError) {
  RecordingPlatform fake;
  ScopedPlatform use(fake);
  EXPECT_TRUE(IsWindowsNT());
  fake.platformId = VER_PLATFORM_WIN32_WINDOWS;
  EXPECT_FALSE(IsWindowsNT());
  fake.versionResult = FALSE;
  fake.versionError = 0;
  EXPECT_FALSE(IsWindowsNT()) << "a failure without an error code uses the zeroed record";
  fake.versionError = ERROR_INVALID_PARAMETER;
  EXPECT_THROW(IsWindowsNT(), EOleSysError);
}

}  // namespace
}  // namespace corvane
