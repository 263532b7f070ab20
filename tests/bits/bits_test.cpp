// A 32-bit and a 64-bit process on the same logs: what one width writes the other reads, sees
// as a change and formats with a message module of either width; concurrent writers of both
// widths lose nothing. This process is one width; the other tree's writer is the other.
#include <gtest/gtest.h>

#include <windows.h>
// After windows.h:
#include <string>
#include <vector>

#include "ComponentTestSupport.h"
#include "core/EventLog.h"
#include "framework/WinHandle.h"
#include "system/NT_vs_95.h"
#include "system/SystemTables.h"

namespace corvane {
namespace {

using component_test::PumpUntil;
using component_test::TestLog;

constexpr DWORD kTimeoutMs = 120000;

std::string WindowsPath(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

struct Width {
  std::string tree;
  std::string Writer() const { return tree + "\\tests\\core\\component\\component_log_writer.exe"; }
  std::string Service() const { return tree + "\\src\\evtsvc\\ntevtsvc.dll"; }
  std::string Messages() const { return tree + "\\tools\\corvmsg.dll"; }
};
const Width kOwn{WindowsPath(CORVANE_BINARY_DIR)};
const Width kOther{WindowsPath(CORVANE_OTHER_BINARY_DIR)};

// Starts a writer of `width`, bound to that width's service, writing `count` events to `source`.
TUniqueHandle StartWriter(const Width& width, const std::string& source, int count) {
  std::string command = "\"" + width.Writer() + "\" \"" + source + "\" " + std::to_string(count);
  char inherited[MAX_PATH] = {};
  GetEnvironmentVariableA("CORVANE_SYSTEM_LIBRARY", inherited, MAX_PATH);
  SetEnvironmentVariableA("CORVANE_SYSTEM_LIBRARY", width.Service().c_str());
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                      nullptr, &startup, &process);
  SetEnvironmentVariableA("CORVANE_SYSTEM_LIBRARY", inherited);
  if (!started) {
    ADD_FAILURE() << "cannot start " << width.Writer() << ": " << GetLastError();
    return {};
  }
  TUniqueHandle thread(process.hThread);
  return TUniqueHandle(process.hProcess);
}

// Waits for the writers, keeping this thread's messages moving; true when each wrote everything.
bool AllWrote(const std::vector<TUniqueHandle>& writers) {
  bool all = true;
  for (const TUniqueHandle& writer : writers) {
    if (!writer) return false;
    PumpUntil([&] { return WaitForSingleObject(writer.get(), 0) == WAIT_OBJECT_0; }, kTimeoutMs);
    DWORD exitCode = 1;
    all = GetExitCodeProcess(writer.get(), &exitCode) && exitCode == 0 && all;
  }
  return all;
}

bool WroteFrom(const Width& width, const std::string& source, int count) {
  std::vector<TUniqueHandle> writers;
  writers.push_back(StartWriter(width, source, count));
  return AllWrote(writers);
}

std::unique_ptr<TVEVivudAre> OpenLog(const std::string& name) {
  auto eventLog = std::make_unique<TVEVivudAre>(nullptr);
  TComponentReading reading(*eventLog);
  eventLog->SetSourceName(name);
  eventLog->SetActive(true);
  reading.Complete();
  return eventLog;
}

void SetValue(const std::string& key, const char* name, DWORD type, const std::string& value) {
  HKEY opened = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &opened, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(opened, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(opened);
}

const std::string kLogsKey = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\";

// A log kept where the standard logs are, in the system folder, which the file system shows
// 32-bit processes elsewhere: both widths must still meet in one file.
class SystemFolderLog {
 public:
  SystemFolderLog() {
    SetValue(kLogsKey + log_.Name(), "File", REG_EXPAND_SZ,
             "%SystemRoot%\\system32\\config\\" + log_.Name() + ".evt");
  }
  ~SystemFolderLog() {
    char windows[MAX_PATH];
    GetSystemWindowsDirectoryA(windows, MAX_PATH);
    BOOL redirected = FALSE;
    IsWow64Process(GetCurrentProcess(), &redirected);
    DeleteFileA((std::string(windows) + (redirected ? "\\Sysnative" : "\\system32") + "\\config\\" +
                 log_.Name() + ".evt")
                    .c_str());
  }
  const std::string& Name() const { return log_.Name(); }

 private:
  TestLog log_{"Bits"};
};

TEST(BothWidths, WhatTheOtherWidthWritesToALogOfTheSystemFolderReadsHere) {
  SystemFolderLog log;
  ASSERT_TRUE(WroteFrom(kOther, log.Name(), 3));
  auto eventLog = OpenLog(log.Name());
  ASSERT_EQ(eventLog->Count(), 3);
  EXPECT_EQ(eventLog->Objects(2).StringAt(0), "from another process 2");
}

TEST(BothWidths, AWriteOfTheOtherWidthRaisesOnChangeHere) {
  TestLog log("BitsChange");
  auto eventLog = OpenLog(log.Name());
  int changes = 0;
  eventLog->SetOnChange([&](TPersistent*) { ++changes; });
  ASSERT_TRUE(WroteFrom(kOther, log.Name(), 1));
  EXPECT_TRUE(PumpUntil([&] { return changes > 0; }, 10000));
  EXPECT_EQ(eventLog->Count(), 1);
}

TEST(BothWidths, ConcurrentWritersOfBothWidthsLoseNothing) {
  TestLog log("BitsTogether");
  std::vector<TUniqueHandle> writers;
  writers.push_back(StartWriter(kOwn, log.Name(), 3000));
  writers.push_back(StartWriter(kOther, log.Name(), 3000));
  ASSERT_TRUE(AllWrote(writers));
  auto eventLog = OpenLog(log.Name());
  EXPECT_EQ(eventLog->Count(), 6000);
  DWORD oldest = 0;
  ASSERT_TRUE(EventLogApi.OpenEventLogA);
  const HANDLE handle = EventLogApi.OpenEventLogA(nullptr, log.Name().c_str());
  ASSERT_NE(handle, nullptr);
  EXPECT_TRUE(EventLogApi.GetOldestEventLogRecord(handle, &oldest));
  EventLogApi.CloseEventLog(handle);
  EXPECT_EQ(oldest, 1u) << "records numbered 1 to 6000";
}

TEST(BothWidths, AMessageModuleOfTheOtherWidthFormatsHere) {
  TestLog log("BitsMessages", {"BitsSource"});
  SetValue(kLogsKey + log.Name() + "\\BitsSource", "EventMessageFile", REG_EXPAND_SZ,
           kOther.Messages());
  {
    TVEVivudAre writer(nullptr);
    writer.SetSourceName("BitsSource");
    writer.SetIncludeUserName(false);
    writer.WriteObject().SetEventId(0x400003E8);
    writer.WriteObject().Strings().Add(std::string("CORVHOST"));
    writer.WriteObject().Strings().Add(std::string("someone"));
    writer.AddObject(writer.WriteObject());
  }
  auto reader = OpenLog(log.Name());
  ASSERT_EQ(reader->Count(), 1);
  EXPECT_EQ(reader->Items(0), "The Corvane demo started on CORVHOST as user someone.\r\n");
}

}  // namespace
}  // namespace corvane
