// The registry browser against the test prefix's own registry: a private key under
// HKLM\Software with subkeys A\B and Empty and values of every kind the reader treats apart.
// Closing and querying are also watched at the table boundary.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/OleSysError.h"
#include "system/AdvApi32.h"
#include "system/BrowsReg.h"
#include "system/ErrorText.h"
#include "system/SystemTables.h"
#include "system/TableEntry.h"

namespace corvane {
namespace {

const std::string kTestKey = "Software\\CorvaneBrowseTest" + std::to_string(GetCurrentProcessId());
const std::string kLongText(300, 'L');

std::vector<HKEY>* closed = nullptr;

LONG WINAPI RecordingRegCloseKey(HKEY key) {
  if (closed) closed->push_back(key);
  return ::RegCloseKey(key);
}

int queryCalls = 0;
LONG WINAPI AlwaysMoreData(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD size) {
  ++queryCalls;
  *size += 10;
  return ERROR_MORE_DATA;
}

// Stands in for another machine's registry: its HKEY_LOCAL_MACHINE is our test key, opened anew
// for every connection, so that the browser gets a handle of its own to close.
std::vector<std::pair<std::string, HKEY>> connections;
LONG WINAPI ConnectToTestKey(LPCSTR machine, HKEY predefined, PHKEY result) {
  connections.emplace_back(machine ? machine : "(null)", predefined);
  return ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kTestKey.c_str(), 0, KEY_READ, result);
}

std::vector<std::string> Names(const TStringList& list) {
  std::vector<std::string> names(list.begin(), list.end());
  std::sort(names.begin(), names.end());
  return names;
}

std::string LocalComputerName() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof name;
  EXPECT_TRUE(GetComputerNameA(name, &size));
  return name;
}

class BrowseRegistry : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    BindSystemTables();
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kTestKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    TRegKey root(key);
    SetValue(key, "Long", REG_SZ, kLongText.c_str(), kLongText.size() + 1);
    SetValue(key, "Expand", REG_EXPAND_SZ, "%SystemRoot%\\x", 15);
    SetValue(key, "NoZero", REG_SZ, "abc", 3);
    SetValue(key, "InnerZero", REG_SZ, "ab\0cd", 6);
    const DWORD all = 0xFFFFFFFF;
    SetValue(key, "Number", REG_DWORD, &all, 4);
    SetValue(key, "ShortNumber", REG_DWORD, "\x34\x12", 2);
    SetValue(key, "Binary", REG_BINARY, "\x01\x02\x03", 3);
    SetValue(key, "Multi", REG_MULTI_SZ, "a\0b\0", 5);
    SetValue(key, "BigEndian", REG_DWORD_BIG_ENDIAN, &all, 4);
    for (const char* sub : {"A\\B", "Empty"}) {
      HKEY subKey = nullptr;
      ASSERT_EQ(RegCreateKeyExA(key, sub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &subKey, nullptr),
                ERROR_SUCCESS);
      TRegKey owner(subKey);
    }
  }
  static void TearDownTestSuite() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTestKey.c_str());
  }
  static void SetValue(HKEY key, const char* name, DWORD type, const void* data, size_t size) {
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data),
                             static_cast<DWORD>(size)),
              ERROR_SUCCESS);
  }

  // A browser standing on the test key, reading allowed.
  void OpenTestKey(TBrowseRegistry& reg) {
    reg.SetAccess(KEY_READ);
    ASSERT_EQ(reg.OpenKey("\\" + kTestKey), ERROR_SUCCESS);
  }
};

TEST_F(BrowseRegistry, StartsOnTheLocalMachineWithNoKeyOpen) {
  TBrowseRegistry reg;
  EXPECT_EQ(reg.RootKey(), HKEY_LOCAL_MACHINE);
  EXPECT_EQ(reg.CurrentKey(), nullptr);
  EXPECT_EQ(reg.CurrentPath(), "");
  EXPECT_EQ(reg.Access(), static_cast<REGSAM>(KEY_ENUMERATE_SUB_KEYS));
}

TEST_F(BrowseRegistry, RelativePathsGoOnFromTheOpenKeyAndAFailureKeepsIt) {
  TBrowseRegistry reg;
  ASSERT_EQ(reg.OpenKey(kTestKey), ERROR_SUCCESS) << "relative to the root when none is open";
  EXPECT_EQ(reg.CurrentPath(), kTestKey);
  ASSERT_EQ(reg.OpenKey("A"), ERROR_SUCCESS);
  ASSERT_EQ(reg.OpenKey("B"), ERROR_SUCCESS);
  EXPECT_EQ(reg.CurrentPath(), kTestKey + "\\A\\B");
  const HKEY open = reg.CurrentKey();

  EXPECT_EQ(reg.OpenKey("Missing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(reg.CurrentPath(), kTestKey + "\\A\\B");
  EXPECT_EQ(reg.CurrentKey(), open);
  TStringList names;
  EXPECT_NO_THROW(reg.GetKeyNames(names)) << "the kept key is still open";
  EXPECT_EQ(names.Count(), 0);
}

TEST_F(BrowseRegistry, ABackslashOpensFromTheRootWhileAKeyIsOpen) {
  TBrowseRegistry reg;
  ASSERT_EQ(reg.OpenKey("\\" + kTestKey + "\\A\\B"), ERROR_SUCCESS);
  EXPECT_EQ(reg.CurrentPath(), kTestKey + "\\A\\B");
  ASSERT_EQ(reg.OpenKey("\\" + kTestKey + "\\A"), ERROR_SUCCESS);
  EXPECT_EQ(reg.CurrentPath(), kTestKey + "\\A");
  TStringList names;
  reg.GetKeyNames(names);
  EXPECT_EQ(Names(names), std::vector<std::string>{"B"});

  EXPECT_EQ(reg.OpenKey("\\" + kTestKey + "\\B"), ERROR_FILE_NOT_FOUND)
      << "B lies below A, not below the test key";
  EXPECT_EQ(reg.CurrentPath(), kTestKey + "\\A");
}

TEST_F(BrowseRegistry, OpenedKeysAreClosedThroughTheTableOnceEach) {
  std::vector<HKEY> seen;
  closed = &seen;
  ScopedEntry<decltype(&::RegCloseKey)> watch(ServiceApi.RegCloseKey, &RecordingRegCloseKey);
  HKEY first = nullptr;
  HKEY second = nullptr;
  {
    TBrowseRegistry reg;
    ASSERT_EQ(reg.OpenKey(kTestKey), ERROR_SUCCESS);
    first = reg.CurrentKey();
    ASSERT_EQ(reg.OpenKey("A"), ERROR_SUCCESS);
    second = reg.CurrentKey();
    EXPECT_EQ(seen, std::vector<HKEY>{first}) << "the key that was left";
    reg.CloseKey();
    EXPECT_EQ(reg.CurrentPath(), "");
    EXPECT_EQ(reg.CurrentKey(), nullptr);
    reg.CloseKey();
  }
  closed = nullptr;
  EXPECT_EQ(seen, (std::vector<HKEY>{first, second})) << "the predefined root is never closed";
}

TEST_F(BrowseRegistry, SetRootKeyKeepsTheOpenKeyOnlyForTheSameRoot) {
  TBrowseRegistry reg;
  ASSERT_EQ(reg.OpenKey(kTestKey), ERROR_SUCCESS);
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_EQ(reg.CurrentPath(), kTestKey);
  EXPECT_NE(reg.CurrentKey(), nullptr);

  reg.SetRootKey(HKEY_CURRENT_USER);
  EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
  EXPECT_EQ(reg.CurrentKey(), nullptr);
  EXPECT_EQ(reg.CurrentPath(), "");
  EXPECT_EQ(reg.OpenKey(kTestKey), ERROR_FILE_NOT_FOUND) << "now looked for below the user's key";
}

TEST_F(BrowseRegistry, GetKeyNamesReplacesTheListWithTheSubkeys) {
  TBrowseRegistry reg;
  ASSERT_EQ(reg.OpenKey(kTestKey), ERROR_SUCCESS);
  TStringList names{"stale"};
  reg.GetKeyNames(names);
  EXPECT_EQ(Names(names), (std::vector<std::string>{"A", "Empty"}));

  ASSERT_EQ(reg.OpenKey("Empty"), ERROR_SUCCESS);
  reg.GetKeyNames(names);
  EXPECT_EQ(names.Count(), 0);
}

TEST_F(BrowseRegistry, RegistryErrorsCarryTheSystemsText) {
  TBrowseRegistry reg;
  TStringList names;
  try {
    reg.GetKeyNames(names);  // no key open
    ADD_FAILURE() << "nothing raised";
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.Message(), SystemErrorText(ERROR_INVALID_HANDLE));
    EXPECT_EQ(e.ErrorCode(), kSystemErrorCode);
  }
  OpenTestKey(reg);
  try {
    reg.ReadString("NoSuchValue");
    ADD_FAILURE() << "nothing raised";
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.Message(), SystemErrorText(ERROR_FILE_NOT_FOUND));
  }
}

TEST_F(BrowseRegistry, ReadStringByType) {
  TBrowseRegistry reg;
  OpenTestKey(reg);
  EXPECT_EQ(reg.ReadString("Long"), kLongText) << "read whole through the second call";
  EXPECT_EQ(reg.ReadString("Expand"), "%SystemRoot%\\x") << "not expanded";
  EXPECT_EQ(reg.ReadString("NoZero"), "abc");
  EXPECT_EQ(reg.ReadString("InnerZero"), "ab");
  EXPECT_EQ(reg.ReadString("Number"), "4294967295");
  EXPECT_EQ(reg.ReadString("ShortNumber"), "4660") << "only the bytes that are there";
  EXPECT_EQ(reg.ReadString("Binary"), "");
  EXPECT_EQ(reg.ReadString("Multi"), "");
  EXPECT_EQ(reg.ReadString("BigEndian"), "");
}

TEST_F(BrowseRegistry, ReadValueGivesTheRawBytesTheirSizeAndType) {
  TBrowseRegistry reg;
  OpenTestKey(reg);
  DWORD size = 0;
  DWORD type = 99;
  std::vector<uint8_t> data = reg.ReadValue("Long", size, type);
  EXPECT_EQ(size, kLongText.size() + 1);
  EXPECT_EQ(data.size(), size);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));

  size = 1;
  data = reg.ReadValue("Binary", size, type);
  EXPECT_EQ(data, (std::vector<uint8_t>{1, 2, 3})) << "a first size too small is grown";
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
}

TEST_F(BrowseRegistry, AValueThatKeepsGrowingIsRefusedAfterTheSecondCall) {
  TBrowseRegistry reg;
  OpenTestKey(reg);
  queryCalls = 0;
  ScopedEntry<decltype(&::RegQueryValueExA)> growing(ServiceApi.RegQueryValueExA, &AlwaysMoreData);
  DWORD size = 0;
  DWORD type = 0;
  try {
    reg.ReadValue("Long", size, type);
    ADD_FAILURE() << "nothing raised";
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.Message(), SystemErrorText(ERROR_MORE_DATA));
  }
  EXPECT_EQ(queryCalls, 2);
}

TEST_F(BrowseRegistry, ConnectToTheLocalMachineByEmptyAndByItsName) {
  const std::string computer = LocalComputerName();
  for (const std::string& machine : {std::string(), computer, "\\\\" + computer}) {
    SCOPED_TRACE(machine);
    TBrowseRegistry reg;
    ASSERT_EQ(reg.OpenKey(kTestKey), ERROR_SUCCESS);
    EXPECT_TRUE(reg.ConnectTo(machine));
    EXPECT_EQ(reg.CurrentKey(), nullptr);
    EXPECT_EQ(reg.CurrentPath(), "");
    reg.SetAccess(KEY_READ);
    ASSERT_EQ(reg.OpenKey(kTestKey), ERROR_SUCCESS) << "from the new root";
    EXPECT_EQ(reg.ReadString("Number"), "4294967295");
    // Once more from the connected root.
    EXPECT_TRUE(reg.ConnectTo(machine));
    ASSERT_EQ(reg.OpenKey(kTestKey + "\\A"), ERROR_SUCCESS);
    TStringList names;
    reg.GetKeyNames(names);
    EXPECT_EQ(Names(names), std::vector<std::string>{"B"});
  }
}

TEST_F(BrowseRegistry, AConnectedRootIsOwnedAndClosedAfterTheOpenKey) {
  std::vector<HKEY> seen;
  closed = &seen;
  connections.clear();
  ScopedEntry<decltype(&::RegCloseKey)> watch(ServiceApi.RegCloseKey, &RecordingRegCloseKey);
  ScopedEntry<decltype(&::RegConnectRegistryA)> remote(ServiceApi.RegConnectRegistryA,
                                                       &ConnectToTestKey);
  HKEY firstRoot = nullptr;
  HKEY secondRoot = nullptr;
  HKEY open = nullptr;
  {
    TBrowseRegistry reg;
    ASSERT_TRUE(reg.ConnectTo("\\REMOTE"));
    firstRoot = reg.RootKey();
    EXPECT_NE(firstRoot, HKEY_LOCAL_MACHINE);
    ASSERT_EQ(reg.OpenKey("A"), ERROR_SUCCESS) << "A lies right below the remote root";

    ASSERT_TRUE(reg.ConnectTo("\\REMOTE"));
    secondRoot = reg.RootKey();
    EXPECT_EQ(seen.size(), 2u) << "the open key and the first root";
    EXPECT_EQ(seen.back(), firstRoot);
    ASSERT_EQ(reg.OpenKey("A\\B"), ERROR_SUCCESS);
    open = reg.CurrentKey();
    seen.clear();
  }
  closed = nullptr;
  EXPECT_EQ(seen, (std::vector<HKEY>{open, secondRoot}));
  ASSERT_EQ(connections.size(), 2u);
  for (const auto& [machine, predefined] : connections) {
    EXPECT_EQ(machine, "\\REMOTE");
    EXPECT_EQ(predefined, HKEY_LOCAL_MACHINE) << "never the connected handle";
  }
}

TEST_F(BrowseRegistry, AFailedConnectionRaisesAndLeavesTheBrowserAsItWas) {
  TBrowseRegistry reg;
  ASSERT_EQ(reg.OpenKey(kTestKey), ERROR_SUCCESS);
  const HKEY open = reg.CurrentKey();
  EXPECT_THROW(reg.ConnectTo("\\\\NO-SUCH-MACHINE-HERE"), EOleSysError);
  EXPECT_EQ(reg.RootKey(), HKEY_LOCAL_MACHINE);
  EXPECT_EQ(reg.CurrentKey(), open);
  EXPECT_EQ(reg.CurrentPath(), kTestKey);
}

}  // namespace
}  // namespace corvane
