// Which log a name reaches: a registered source writes to its log, a log is a source of itself,
// opening a source's name opens its log, and anything unknown goes to Application. The
// standard logs exist once used, and the Security log is not written through these functions.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "ServiceLibrary.h"
#include "TestSupport.h"

namespace corvane::evtsvc::test {
namespace {

constexpr DWORD kForwards = EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ;
constexpr DWORD kBackwards = EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ;

bool HasString(const std::vector<TReadRecord>& records, const std::string& text) {
  return std::any_of(records.begin(), records.end(), [&](const TReadRecord& r) {
    return std::find(r.strings.begin(), r.strings.end(), text) != r.strings.end();
  });
}

// The newest records of the log that `name` opens, up to `limit` of them.
std::vector<TReadRecord> Newest(const std::string& name, size_t limit) {
  const TUniqueLog log(TServiceLibrary::Get().OpenEventLogA(nullptr, name.c_str()));
  EXPECT_TRUE(log) << name << ": " << GetLastError();
  std::vector<TReadRecord> records;
  while (records.size() < limit) {
    TReadResult result = ReadOnce(log.get(), kBackwards, 0, 0x10000);
    if (result.error != 0) break;
    for (TReadRecord& r : result.records) records.push_back(std::move(r));
  }
  return records;
}

class TResolution : public testing::Test {
 protected:
  std::vector<TReadRecord> Own() {
    const TUniqueLog log(svc_.OpenEventLogA(nullptr, log_.name().c_str()));
    return ReadAll(log.get(), kForwards);
  }

  const TServiceLibrary& svc_ = TServiceLibrary::Get();
  TScratchLog log_{"CorvaneSvcResolve", {"CorvaneResolveSource"}};
};

TEST_F(TResolution, RegisteredSourceWritesToItsLog) {
  const std::string marker = UniqueText("registered");
  ASSERT_TRUE(ReportAs("CorvaneResolveSource", 1, {marker})) << GetLastError();
  const std::vector<TReadRecord> records = Own();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].source, "CorvaneResolveSource");
  EXPECT_EQ(records[0].strings, std::vector<std::string>{marker});
}

TEST_F(TResolution, LogNameIsASourceOfThatLog) {
  const std::string marker = UniqueText("own-name");
  ASSERT_TRUE(ReportAs(log_.name(), 2, {marker})) << GetLastError();
  const std::vector<TReadRecord> records = Own();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].source, log_.name());
}

TEST_F(TResolution, OpeningASourceNameOpensItsLogAndWritesUnderThatName) {
  const TUniqueLog bySource(svc_.OpenEventLogA(nullptr, "CorvaneResolveSource"));
  ASSERT_TRUE(bySource) << GetLastError();
  ASSERT_TRUE(Report(bySource.get(), EVENTLOG_INFORMATION_TYPE, 3, {"through open"})) << GetLastError();
  const std::vector<TReadRecord> records = Own();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].source, "CorvaneResolveSource");
  DWORD count = 0;
  ASSERT_TRUE(svc_.GetNumberOfEventLogRecords(bySource.get(), &count));
  EXPECT_EQ(count, 1u);
}

TEST_F(TResolution, UnregisteredSourceWritesToApplication) {
  const std::string source = UniqueText("CorvaneUnregistered");
  const std::string marker = UniqueText("unregistered");
  ASSERT_TRUE(ReportAs(source, 4, {marker})) << GetLastError();
  EXPECT_TRUE(Own().empty());
  const std::vector<TReadRecord> newest = Newest("Application", 50);
  const auto found = std::find_if(newest.begin(), newest.end(), [&](const TReadRecord& r) {
    return r.strings == std::vector<std::string>{marker};
  });
  ASSERT_NE(found, newest.end());
  EXPECT_EQ(found->source, source);
}

TEST_F(TResolution, UnknownLogOpensApplication) {
  const std::string marker = UniqueText("unknown-log");
  ASSERT_TRUE(ReportAs("Application", 5, {marker})) << GetLastError();
  EXPECT_TRUE(HasString(Newest(UniqueText("CorvaneNoSuchLog"), 50), marker));
  // The service's own settings key beside the logs names no log file: it is no log.
  UniqueKey parameters;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Parameters",
                            0, nullptr, 0, KEY_READ, nullptr, parameters.put(), nullptr),
            ERROR_SUCCESS);
  EXPECT_TRUE(HasString(Newest("Parameters", 50), marker));
  char file[MAX_PATH] = {};
  ExpandEnvironmentStringsA("%SystemRoot%\\system32\\config\\Parameters.evt", file, sizeof file);
  EXPECT_FALSE(FileExists(file)) << file;
}

TEST_F(TResolution, SecurityLogIsNotWritten) {
  SetLastError(0);
  EXPECT_EQ(svc_.RegisterEventSourceA(nullptr, "Security"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  const TUniqueLog security(svc_.OpenEventLogA(nullptr, "Security"));
  ASSERT_TRUE(security) << GetLastError();
  EXPECT_FALSE(Report(security.get(), EVENTLOG_AUDIT_SUCCESS, 1, {"forged"}));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(TResolution, NamesAreRequired) {
  SetLastError(0);
  EXPECT_EQ(svc_.OpenEventLogA(nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(svc_.RegisterEventSourceA(nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

// The standard logs are there once used: their keys name their files, which exist.
// The file as every process finds it: a 32-bit test process sees the system folder redirected
// to SysWOW64, where the service, for both widths, keeps the logs in the real one.
std::string NativeSystemFolder(std::string path) {
  BOOL wow64 = FALSE;
  const size_t at = path.find("\\system32\\");
  if (sizeof(void*) == 4 && IsWow64Process(GetCurrentProcess(), &wow64) && wow64 &&
      at != std::string::npos) {
    path.replace(at, 10, "\\Sysnative\\");
  }
  return path;
}

TEST(StandardLogs, ExistWithTheirSettingsAfterFirstUse) {
  const TServiceLibrary& svc = TServiceLibrary::Get();
  const struct {
    const char* log;
    const char* file;
  } standard[] = {{"Application", "AppEvent.Evt"}, {"System", "SysEvent.Evt"}, {"Security", "SecEvent.Evt"}};
  for (const auto& [name, file] : standard) {
    const TUniqueLog log(svc.OpenEventLogA(nullptr, name));
    ASSERT_TRUE(log) << name << ": " << GetLastError();
    UniqueKey key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                            (std::string("SYSTEM\\CurrentControlSet\\Services\\EventLog\\") + name).c_str(),
                            0, KEY_READ, key.put()),
              ERROR_SUCCESS)
        << name;
    char value[MAX_PATH] = {};
    DWORD type = 0;
    DWORD size = sizeof(value);
    ASSERT_EQ(RegQueryValueExA(key.get(), "File", nullptr, &type, reinterpret_cast<BYTE*>(value), &size),
              ERROR_SUCCESS)
        << name;
    const std::string path = value;
    if (path.rfind("%SystemRoot%", 0) == 0) {
      EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ)) << name;
      EXPECT_EQ(path, std::string("%SystemRoot%\\system32\\config\\") + file) << name;
    }
    char expanded[MAX_PATH] = {};
    ExpandEnvironmentStringsA(value, expanded, sizeof(expanded));
    EXPECT_TRUE(FileExists(NativeSystemFolder(expanded))) << expanded;
    for (const char* setting : {"MaxSize", "Retention"}) {
      DWORD number = 0;
      size = sizeof(number);
      EXPECT_EQ(RegQueryValueExA(key.get(), setting, nullptr, &type, reinterpret_cast<BYTE*>(&number), &size),
                ERROR_SUCCESS)
          << name << " " << setting;
      EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    }
  }
}

}  // namespace
}  // namespace corvane::evtsvc::test
