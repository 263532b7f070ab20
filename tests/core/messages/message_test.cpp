// Message texts of events: from the source's message module, found through the registry, or
// the replacement text.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string_view>

#include "ComponentTestSupport.h"
#include "core/EventLog.h"
#include "core/EventMessages.h"
#include "core/MessageFiles.h"
#include "core/MessageModule.h"
#include "framework/OleSysError.h"
#include "system/AdvApi32.h"
#include "system/TableEntry.h"

namespace corvane {
namespace {

using component_test::SetMessageFile;
using component_test::TestLog;

const std::string kLogsKey = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\";

// A file of the build tree, its path written as registries hold them: with backslashes only.
std::string BuiltFile(const std::string& relative) {
  std::string path = std::string(CORVANE_BINARY_DIR) + "\\" + relative;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::string TestModule() { return BuiltFile("tests\\core\\messages\\testmsg.dll"); }

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
  const std::string path = BuiltFile("tests\\core\\messages\\damaged.dll");
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

std::string LanguagesModule() { return BuiltFile("tests\\core\\messages\\langmsg.dll"); }

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TModuleMessages ModuleFileMessages(const std::string& path) { return TModuleMessages::Read(FileBytes(path)); }

// A callback of the system's: its calling convention, which a lambda's conversion lacks on
// 32-bit Windows.
BOOL CALLBACK AddLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR list) {
  reinterpret_cast<std::vector<WORD>*>(list)->push_back(language);
  return TRUE;
}

// The languages of a module's message table, as the system lists them.
std::vector<WORD> ResourceLanguages(HMODULE module) {
  std::vector<WORD> languages;
  EnumResourceLanguagesA(module, RT_MESSAGETABLE, MAKEINTRESOURCEA(1), AddLanguage,
                         reinterpret_cast<LONG_PTR>(&languages));
  return languages;
}

enum class KeepTimes { No, Yes };

// Writes (over) `name` in the build folder: the test module with `from` in its first message
// replaced by `to`, of the same length. With KeepTimes::Yes an existing file keeps its times.
std::string CopyOfTestModule(const std::string& name, const std::u16string& from, const std::u16string& to,
                             KeepTimes keep = KeepTimes::No) {
  const std::string path = BuiltFile("tests\\core\\messages\\" + name);
  std::vector<uint8_t> bytes = FileBytes(TestModule());
  const std::string_view haystack(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  const size_t at = haystack.find(std::string_view(reinterpret_cast<const char*>(from.data()), 2 * from.size()));
  EXPECT_NE(at, std::string_view::npos);
  std::memcpy(bytes.data() + at, to.data(), 2 * to.size());
  FILETIME created{}, accessed{}, written{};
  if (keep == KeepTimes::Yes) {
    const TUniqueFile old(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(GetFileTime(old.get(), &created, &accessed, &written));
  }
  const TUniqueFile file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     keep == KeepTimes::Yes ? OPEN_EXISTING : CREATE_ALWAYS, 0, nullptr));
  DWORD done = 0;
  EXPECT_TRUE(WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr));
  if (keep == KeepTimes::Yes) {
    EXPECT_TRUE(SetFileTime(file.get(), &created, &accessed, &written));
  }
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

// Every message of a module, and an identifier past each block, through the module file and
// through the system's formatter on the module loaded as data, with the same strings. Returns
// the identifiers compared.
size_t CompareWithTheSystem(TMessageFiles& files, const std::string& path, const TEventItem& item) {
  // The identifiers come from the tables as they stand, damaged or not: only their blocks' ranges.
  const TUniqueModule raw(LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  std::set<uint32_t> ids;
  for (WORD language : ResourceLanguages(raw.get())) {
    const HRSRC found = FindResourceExA(raw.get(), RT_MESSAGETABLE, MAKEINTRESOURCEA(1), language);
    const auto* table = static_cast<const uint8_t*>(LockResource(LoadResource(raw.get(), found)));
    if (!table) continue;
    uint32_t blocks;
    std::memcpy(&blocks, table, 4);
    for (uint32_t b = 0; b < blocks; ++b) {
      uint32_t range[2];
      std::memcpy(range, table + 4 + 12 * b, 8);
      for (uint64_t id = range[0]; id <= uint64_t{range[1]} + 1; ++id) ids.insert(static_cast<uint32_t>(id));
    }
  }
  const TUniqueModule module = LoadMessageModule(path);
  TEventItem message(nullptr);
  message.SetSourceName(item.SourceName());
  for (int i = 0; i < item.StringCount(); ++i) message.Strings().Add(std::string(item.StringAt(i)));
  for (uint32_t id : ids) {
    message.SetEventId(id);
    std::string expected, actual;
    if (!module || !FormatEventMessage(module.get(), message, expected)) expected = DescriptionNotFound(message);
    if (!files.Format(path, message, actual)) actual = DescriptionNotFound(message);
    EXPECT_EQ(actual, expected) << path << ", message " << std::hex << id;
  }
  return ids.size();
}

TEST(MessageFiles, EveryMessageOfEveryModuleAtHandReadsAsTheSystemFormatsIt) {
  TEventItem item(nullptr);
  item.SetSourceName("Differential");
  for (const char* text : {"one", "two", "three", "four", "five", "six", "seven", "eight", "nine"})
    item.Strings().Add(text);
  TMessageFiles files(TMessageKeeping::WhileUnchanged);
  for (const std::string& ours : {BuiltFile("tools\\corvmsg.dll"), TestModule(), LanguagesModule()}) {
    EXPECT_EQ(ModuleFileMessages(ours).Source(), TModuleMessages::TSource::Tables) << ours;
    EXPECT_GT(CompareWithTheSystem(files, ours, item), 2u) << ours;
  }
  EXPECT_GT(CompareWithTheSystem(files, DamagedModule(), item), 2u);

  // The system's own message modules: every library and program of the system folder with a
  // message table.
  char folder[MAX_PATH];
  GetSystemDirectoryA(folder, MAX_PATH);
  size_t modules = 0, read = 0, messages = 0;
  for (const char* pattern : {"\\*.dll", "\\*.exe"}) {
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((folder + std::string(pattern)).c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
      const std::string path = std::string(folder) + "\\" + found.cFileName;
      {
        const TUniqueModule module = LoadMessageModule(path);
        if (!module || !FindResourceA(module.get(), MAKEINTRESOURCEA(1), RT_MESSAGETABLE)) continue;
      }
      ++modules;
      if (ModuleFileMessages(path).Source() == TModuleMessages::TSource::Tables) ++read;
      messages += CompareWithTheSystem(files, path, item);
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  EXPECT_GE(modules, 3u);
  EXPECT_EQ(read, modules) << "modules the file reader left to the system";
  std::printf("compared %zu messages of %zu system modules\n", messages, modules);
}

TEST(EventMessages, ASourceRegisteredAnewAndAModuleFileReplacedShowAtTheNextCall) {
  TestLog log("Msg", {"Swapped"});
  const std::string first = CopyOfTestModule("first.dll", u"started", u"started");
  const std::string second = CopyOfTestModule("second.dll", u"started", u"resumed");
  SetMessageFile(log.Name(), "Swapped", first);
  EXPECT_EQ(WriteAndFormat(log, "Swapped", 0x40000001, {"Spooler", "4"}),
            "Service Spooler started with 4 workers.\r\n");
  TVEVivudAre reader(nullptr);
  reader.SetSourceName(log.Name());
  reader.SetActive(true);
  const int newest = reader.Count() - 1;
  EXPECT_EQ(reader.Items(newest), "Service Spooler started with 4 workers.\r\n");

  SetMessageFile(log.Name(), "Swapped", second);
  EXPECT_EQ(reader.Items(newest), "Service Spooler resumed with 4 workers.\r\n");

  // The first module rewritten in place: the same size and the same times, other text.
  SetMessageFile(log.Name(), "Swapped", first);
  EXPECT_EQ(reader.Items(newest), "Service Spooler started with 4 workers.\r\n");
  CopyOfTestModule("first.dll", u"started", u"stopped", KeepTimes::Yes);
  EXPECT_EQ(reader.Items(newest), "Service Spooler stopped with 4 workers.\r\n");
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
