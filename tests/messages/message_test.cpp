// Message texts of events: from the source's message module, found through the registry, or
// the replacement text.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>

#include "ComponentTestSupport.h"
#include "core/EventLog.h"
#include "core/EventMessages.h"
#include "framework/OleSysError.h"
#include "system/AdvApi32.h"
#include "system/TableEntry.h"

namespace corvane {
namespace {

using component_test::TestLog;

const std::string kLogsKey = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\";

// Sets (or with an empty path removes) a source's "EventMessageFile" in the local registry.
void SetMessageFile(const std::string& log, const std::string& source, const std::string& file,
                    DWORD type = REG_EXPAND_SZ) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (kLogsKey + log + "\\" + source).c_str(), 0,
                            nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "EventMessageFile", 0, type, reinterpret_cast<const BYTE*>(file.c_str()),
                 static_cast<DWORD>(file.size() + 1));
  RegCloseKey(key);
}

std::string TestModule() { return std::string(CORVANE_BINARY_DIR) + "\\tests\\messages\\testmsg.dll"; }

// Writes one event through a component and returns the message text of the newest record.
std::string WriteAndFormat(const TestLog& log, const std::string& source, DWORD eventId,
                           const std::vector<std::string>& strings) {
  {
    TVEVivudAre writer(nullptr);
    writer.SetSourceName(source);
    writer.SetIncludeUserName(false);
    writer.WriteObject().SetEventId(eventId);
    for (const auto& s : strings) writer.WriteObject().Strings().Add(s);
    writer.AddObject(writer.WriteObject());
  }
  TVEVivudAre reader(nullptr);
  reader.SetSourceName(log.Name());
  reader.SetActive(true);
  return reader.Items(reader.Count() - 1);
}

TEST(EventMessages, FormatsTheSourcesMessageWithItsInsertionStrings) {
  TestLog log("Msg", {"MsgSource"});
  SetMessageFile(log.Name(), "MsgSource", TestModule());
  EXPECT_EQ(WriteAndFormat(log, "MsgSource", 0x40000001, {"Spooler", "4"}),
            "Service Spooler started with 4 workers.\r\n");
  EXPECT_EQ(WriteAndFormat(log, "MsgSource", 0xC0000002, {}),
            "A message without insertion strings.\r\n");
  EXPECT_EQ(WriteAndFormat(log, "MsgSource", 0x80000003, {"one", "two"}),
            "Second: two, first: one, third missing: [(null)].\r\n")
      << "an insertion the event lacks reaches the formatter as a null entry";
}

TEST(EventMessages, AMissingIdentifierGivesTheReplacementText) {
  TestLog log("Msg", {"MsgSource"});
  SetMessageFile(log.Name(), "MsgSource", TestModule());
  EXPECT_EQ(WriteAndFormat(log, "MsgSource", 0xC000000D, {"a", "b"}),
            "The description for Event ID ( 13 ) in Source ( MsgSource ) could not be found. "
            "It contains the following insertion string(s): .\r\na\r\nb");
}

TEST(EventMessages, AModuleThatDoesNotLoadGivesTheReplacementText) {
  TestLog log("Msg", {"Gone", "NoFile"});
  SetMessageFile(log.Name(), "Gone", "C:\\nowhere\\missing.dll");
  EXPECT_EQ(WriteAndFormat(log, "Gone", 0x40000001, {}),
            "The description for Event ID ( 1 ) in Source ( Gone ) could not be found. "
            "It contains the following insertion string(s): .");
}

// A copy of the test module whose third message block points a megabyte past its table.
std::string DamagedModule() {
  const std::string path = std::string(CORVANE_BINARY_DIR) + "\\tests\\messages\\damaged.dll";
  std::string table;
  {
    const TUniqueModule module = LoadMessageModule(TestModule());
    const HRSRC found = FindResourceA(module.get(), MAKEINTRESOURCEA(1), RT_MESSAGETABLE);
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module.get(), found)));
    table.assign(bytes, SizeofResource(module.get(), found));
  }
  std::ifstream in(TestModule(), std::ios::binary);
  std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t at = file.find(table);
  EXPECT_NE(at, std::string::npos);
  const uint32_t beyond = 0x00100000;
  file.replace(at + 4 + 2 * 12 + 8, 4, reinterpret_cast<const char*>(&beyond), 4);
  std::ofstream(path, std::ios::binary) << file;
  return path;
}

TEST(EventMessages, AModuleWithADamagedTableGivesTheReplacementText) {
  TestLog log("Msg", {"Damaged"});
  SetMessageFile(log.Name(), "Damaged", DamagedModule());
  EXPECT_EQ(WriteAndFormat(log, "Damaged", 0xC0000002, {"a"}),
            "The description for Event ID ( 2 ) in Source ( Damaged ) could not be found. "
            "It contains the following insertion string(s): .\r\na");
}

TEST(EventMessages, TheSystemRootVariableInItsExactCaseBecomesTheWindowsDirectory) {
  TestLog log("Msg", {"SysText", "LowerCase"});
  SetMessageFile(log.Name(), "SysText", "%SystemRoot%\\system32\\kernelbase.dll");
  SetMessageFile(log.Name(), "LowerCase", "%systemroot%\\system32\\kernelbase.dll");

  char expected[1024] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, 2, 0,
                 expected, sizeof expected, nullptr);
  ASSERT_GT(strlen(expected), 0u);
  EXPECT_EQ(WriteAndFormat(log, "SysText", 2, {}), expected)
      << "a module we did not write: the system's own message table";

  TVEVivudAre component(nullptr);
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  EXPECT_EQ(component.GetMessageFile("SysText"),
            std::string(windows) + "\\system32\\kernelbase.dll");
  EXPECT_EQ(component.GetMessageFile("LowerCase"), "%systemroot%\\system32\\kernelbase.dll");
  EXPECT_EQ(WriteAndFormat(log, "LowerCase", 2, {"x"}),
            "The description for Event ID ( 2 ) in Source ( LowerCase ) could not be found. "
            "It contains the following insertion string(s): .\r\nx");
}

// Events written under the log's own name: the search finds the log's key, which names no
// message file.
TEST(EventMessages, ASourceNamedLikeItsLogGetsTheReplacementText) {
  TestLog log("Msg", {"MsgSource"});
  EXPECT_EQ(WriteAndFormat(log, log.Name(), 0x40000001, {"x"}),
            "The description for Event ID ( 1 ) in Source ( " + log.Name() +
                " ) could not be found. It contains the following insertion string(s): .\r\nx");
}

LONG WINAPI RefuseValue(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD) {
  return ERROR_ACCESS_DENIED;
}

TEST(EventMessages, AMessageFileThatCannotBeReadRaisesTheRegistryError) {
  TestLog log("Msg", {"Locked"});
  SetMessageFile(log.Name(), "Locked", TestModule());
  TVEVivudAre component(nullptr);
  const ScopedEntry<decltype(&::RegQueryValueExA)> refused(ServiceApi.RegQueryValueExA,
                                                           &RefuseValue);
  EXPECT_THROW(component.GetMessageFile("Locked"), EOleSysError);
  EXPECT_EQ(component.GetMessageFile("NoSuchSourceAnywhere"), "");
}

TEST(EventMessages, AnItemThatCannotBeReadRaisesItsError) {
  TVEVivudAre component(nullptr);
  EXPECT_THROW(component.Items(0), EOleSysError) << "nothing is open";
}

TEST(FindKeyPath, SearchesDepthFirstAndComparesWithoutCase) {
  TestLog log("Find", {"Alpha", "Beta"});
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE,
                            (kLogsKey + log.Name() + "\\Alpha\\Deep\\Target").c_str(), 0, nullptr,
                            0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  const std::string logPath = kLogsKey + log.Name();
  EXPECT_EQ(FindKeyPath(HKEY_LOCAL_MACHINE, logPath + "\\", "bEtA"), logPath);
  EXPECT_EQ(FindKeyPath(HKEY_LOCAL_MACHINE, logPath, "target"), logPath + "\\Alpha\\Deep");
  EXPECT_EQ(FindKeyPath(HKEY_LOCAL_MACHINE, logPath, "Nothing"), "");
  EXPECT_EQ(FindKeyPath(HKEY_LOCAL_MACHINE, logPath + "\\Missing", "Alpha"), "");
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, (logPath + "\\Alpha\\Deep\\Target").c_str());
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, (logPath + "\\Alpha\\Deep").c_str());
}

TEST(GetMessageFile, ASecuritySourceIsSearchedFromTheSecurityLog) {
  // A source called "Security" registered under the Security log: found there, not taken for
  // the log's own key.
  SetMessageFile("Security", "", "log-key.dll");
  SetMessageFile("Security", "Security", "source-key.dll");
  TVEVivudAre component(nullptr);
  EXPECT_EQ(component.GetMessageFile("security"), "source-key.dll");
  EXPECT_EQ(component.GetMessageFile("SECURITY"), "source-key.dll");
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, (kLogsKey + "Security\\Security").c_str());
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kLogsKey + "Security").c_str(), 0, KEY_ALL_ACCESS, &key) ==
      ERROR_SUCCESS) {
    RegDeleteValueA(key, "EventMessageFile");
    RegCloseKey(key);
  }
}

TEST(DescriptionNotFound, ShowsTheLow16BitsAndEachStringOnItsOwnLine) {
  TEventItem item(nullptr);
  item.SetEventId(0xC000000D);
  item.SetSourceName("Disk");
  EXPECT_EQ(DescriptionNotFound(item),
            "The description for Event ID ( 13 ) in Source ( Disk ) could not be found. It "
            "contains the following insertion string(s): .");
  item.Strings().Add("first");
  item.Strings().Add("");
  EXPECT_EQ(DescriptionNotFound(item),
            "The description for Event ID ( 13 ) in Source ( Disk ) could not be found. It "
            "contains the following insertion string(s): .\r\nfirst\r\n");
}

}  // namespace
}  // namespace corvane
