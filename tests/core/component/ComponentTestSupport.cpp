#include "ComponentTestSupport.h"

#include "common/FileTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "framework/WinHandle.h"
#include "system/NT_vs_95.h"
#include "system/SystemTables.h"

namespace corvane::component_test {

namespace {

const char kLogsKey[] = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\";

std::string WindowsPath(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string BuildDir() { return WindowsPath(CORVANE_BINARY_DIR); }

using corvane::testing::RemoveTree;

class ServiceTables : public ::testing::Environment {
 public:
  void SetUp() override { BindToService(); }
};

const auto* const kServiceTables = ::testing::AddGlobalTestEnvironment(new ServiceTables);

}  // namespace

std::string ServiceLibraryPath() { return BuildDir() + "\\src\\evtsvc\\ntevtsvc.dll"; }

void BindToService() {
  static bool bound = false;
  if (bound) return;
  bound = true;
  // Inherited by the writer processes too.
  SetEnvironmentVariableA("CORVANE_SYSTEM_LIBRARY", ServiceLibraryPath().c_str());
  BindSystemTables();
  ASSERT_TRUE(EventLogApi.OpenEventLogA) << "the service did not bind from "
                                         << ServiceLibraryPath();
}

TestLog::TestLog(const std::string& stem, const std::vector<std::string>& sources) {
  static std::atomic<int> serial{0};
  name_ = "Cv" + stem + std::to_string(GetCurrentProcessId()) + "n" + std::to_string(++serial);
  const std::string scratch = BuildDir() + "\\tests\\core\\component\\scratch";
  CreateDirectoryA(scratch.c_str(), nullptr);
  folder_ = scratch + "\\" + name_;
  RemoveTree(folder_);
  EXPECT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr)) << folder_;
  file_ = folder_ + "\\" + name_ + ".evt";

  HKEY created = nullptr;
  const std::string keyPath = kLogsKey + name_;
  EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &created, nullptr),
            ERROR_SUCCESS);
  const UniqueKey owner(created);
  const HKEY key = owner.get();
  RegSetValueExA(key, "File", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(file_.c_str()),
                 static_cast<DWORD>(file_.size() + 1));
  SetMaxSize(4 * 1024 * 1024);
  const DWORD retention = 0;
  RegSetValueExA(key, "Retention", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&retention),
                 sizeof(retention));
  for (const std::string& source : sources) {
    HKEY sourceKey = nullptr;
    EXPECT_EQ(RegCreateKeyExA(key, source.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &sourceKey, nullptr),
              ERROR_SUCCESS);
    const UniqueKey sourceOwner(sourceKey);
  }
}

TestLog::~TestLog() {
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, (kLogsKey + name_).c_str());
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, (kLogsKey + name_).c_str());
  RemoveTree(folder_);
}

std::string TestLog::Scratch(const std::string& fileName) const {
  return folder_ + "\\" + fileName;
}

void TestLog::SetMaxSize(DWORD bytes) const {
  HKEY opened = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kLogsKey + name_).c_str(), 0, KEY_SET_VALUE, &opened),
            ERROR_SUCCESS);
  const UniqueKey key(opened);
  RegSetValueExA(key.get(), "MaxSize", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&bytes),
                 sizeof(bytes));
}

void SetMessageFile(const std::string& log, const std::string& source, const std::string& file,
                    DWORD type) {
  HKEY created = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (kLogsKey + log + "\\" + source).c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &created, nullptr),
            ERROR_SUCCESS);
  const UniqueKey key(created);
  RegSetValueExA(key.get(), "EventMessageFile", 0, type, reinterpret_cast<const BYTE*>(file.c_str()),
                 static_cast<DWORD>(file.size() + 1));
}

void WriteEvents(const std::string& source, int count, const std::string& prefix,
                 size_t dataBytes) {
  const HANDLE writer = EventLogApi.RegisterEventSourceA(nullptr, source.c_str());
  ASSERT_NE(writer, nullptr) << GetLastError();
  for (int i = 0; i < count; ++i) {
    const std::string text = prefix + " " + std::to_string(i);
    const char* strings[] = {text.c_str()};
    std::vector<uint8_t> data(dataBytes, static_cast<uint8_t>(i));
    EXPECT_TRUE(EventLogApi.ReportEventA(writer, EVENTLOG_INFORMATION_TYPE, 0,
                                         static_cast<DWORD>(1000 + i), nullptr, 1,
                                         static_cast<DWORD>(data.size()), strings,
                                         data.empty() ? nullptr : data.data()))
        << GetLastError();
  }
  EventLogApi.DeregisterEventSource(writer);
}

bool WriteFromOtherProcess(const std::string& source, int count, bool clearFirst) {
  std::string command = "\"" + BuildDir() + "\\tests\\core\\component\\component_log_writer.exe\" \"" +
                        source + "\" " + std::to_string(count) + (clearFirst ? " clear" : "");
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    ADD_FAILURE() << "cannot start the writer: " << GetLastError();
    return false;
  }
  const TUniqueHandle thread(process.hThread);
  const TUniqueHandle child(process.hProcess);
  DWORD exitCode = 1;
  // The writer's events may already signal while it runs; keep the messages moving meanwhile.
  PumpUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }, 30000);
  GetExitCodeProcess(process.hProcess, &exitCode);
  return exitCode == 0;
}

std::vector<uint8_t> CurrentUserSid() {
  char name[256];
  DWORD nameLength = sizeof(name);
  if (!GetUserNameA(name, &nameLength)) return {};
  DWORD sidLength = 0;
  char domain[256];
  DWORD domainLength = sizeof(domain);
  SID_NAME_USE use;
  EventLogApi.LookupAccountNameA(nullptr, name, nullptr, &sidLength, domain, &domainLength, &use);
  if (sidLength == 0) return {};
  std::vector<uint8_t> sid(sidLength);
  domainLength = sizeof(domain);
  if (!EventLogApi.LookupAccountNameA(nullptr, name, sid.data(), &sidLength, domain,
                                      &domainLength, &use)) {
    return {};
  }
  return sid;
}

}  // namespace corvane::component_test
