// The registry browser connected to machines of the simulated network that the bundled service
// provides: their registries are read by absolute and relative paths like the local one.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "SampleNetwork.h"
#include "framework/OleSysError.h"
#include "system/AdvApi32.h"
#include "system/BrowsReg.h"
#include "system/SystemTables.h"

namespace corvane {
namespace {

std::vector<std::string> Names(const TStringList& list) {
  std::vector<std::string> names(list.begin(), list.end());
  std::sort(names.begin(), names.end());
  return names;
}

class RemoteRegistry : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = std::filesystem::path(CORVANE_BINARY_DIR) / "tests" / "core" / "records" /
              ("network-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::remove_all(folder_);
    network::sample::Build(
        std::filesystem::path(CORVANE_SOURCE_DIR) / "tests" / "evtsvc" / "network" / "sample", folder_);
    SetEnvironmentVariableW(L"CORVANE_NETWORK", folder_.wstring().c_str());
    SetEnvironmentVariableA(kSystemLibraryVariable, NTEVTSVC_PATH);
    BindSystemTables();
  }
  static void TearDownTestSuite() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  static inline std::filesystem::path folder_;
};

TEST_F(RemoteRegistry, ReadsTheKeysAndValuesOfAnotherMachine) {
  ASSERT_TRUE(ServiceApi.RegConnectRegistryA) << "the service did not bind from " << NTEVTSVC_PATH;
  for (const char* machine : {"CORVSRV", "CORVWKS", "LABPC"}) {
    SCOPED_TRACE(machine);
    TBrowseRegistry reg;
    reg.SetAccess(KEY_READ);
    ASSERT_TRUE(reg.ConnectTo(std::string("\\\\") + machine));
    EXPECT_NE(reg.RootKey(), HKEY_LOCAL_MACHINE);

    ASSERT_EQ(reg.OpenKey("\\SOFTWARE\\Corvane\\Sample"), ERROR_SUCCESS);
    EXPECT_EQ(reg.ReadString("Machine"), machine);

    ASSERT_EQ(reg.OpenKey("\\SYSTEM\\CurrentControlSet\\Services\\EventLog"), ERROR_SUCCESS);
    ASSERT_EQ(reg.OpenKey("Application"), ERROR_SUCCESS);
    EXPECT_EQ(reg.CurrentPath(), "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application");
    EXPECT_EQ(reg.ReadString("File"), "%SystemRoot%\\system32\\config\\AppEvent.Evt")
        << "expandable text is not expanded";
    EXPECT_EQ(reg.ReadString("MaxSize"), "524288");
    EXPECT_EQ(reg.OpenKey("NoSuchSource"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(reg.CurrentPath(), "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application");

    ASSERT_EQ(reg.OpenKey("\\SYSTEM\\CurrentControlSet\\Services\\EventLog"), ERROR_SUCCESS);
    TStringList logs;
    reg.GetKeyNames(logs);
    const std::vector<std::string> names = Names(logs);
    EXPECT_TRUE(std::count(names.begin(), names.end(), "Application")) << logs.Text();
    EXPECT_TRUE(std::count(names.begin(), names.end(), "System")) << logs.Text();
  }
}

TEST_F(RemoteRegistry, AMachineThatIsNotThereRaises) {
  TBrowseRegistry reg;
  EXPECT_THROW(reg.ConnectTo("\\\\NOT-ON-THE-NETWORK"), EOleSysError);
  EXPECT_EQ(reg.RootKey(), HKEY_LOCAL_MACHINE);
}

}  // namespace
}  // namespace corvane
