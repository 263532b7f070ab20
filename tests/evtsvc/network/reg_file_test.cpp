// Registry export files: both versions and encodings, every value form, deletions, and the
// errors a broken file gets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "evtsvc/network/NameText.h"
#include "evtsvc/network/NetworkErrors.h"
#include "evtsvc/network/RegFile.h"

namespace corvane::network {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Utf16File(std::u16string_view text) {
  Bytes bytes = {0xFF, 0xFE};
  const std::string le = ToUtf16LeBytes(text);
  bytes.insert(bytes.end(), le.begin(), le.end());
  return bytes;
}

Bytes Utf8File(std::string_view text) { return Bytes(text.begin(), text.end()); }

std::unique_ptr<RegKey> Parse(const Bytes& file) {
  auto root = std::make_unique<RegKey>(u"HKEY_LOCAL_MACHINE");
  ApplyRegFile(file.data(), file.size(), *root, FromWindows1252);
  return root;
}

std::unique_ptr<RegKey> Parse(std::string_view utf8) { return Parse(Utf8File(utf8)); }

const RegKey& Key(const RegKey& root, std::u16string_view path) {
  const TKeyLookup found = FindKey(root, path);
  if (found.status != TPathStatus::Found) throw std::runtime_error("no key " + ToUtf8(path));
  return *found.key;
}

Bytes Text(std::u16string_view text) { return TextValueData(text); }

// The error code and message of a refused file.
std::pair<int32_t, std::string> Refusal(std::string_view utf8) {
  try {
    Parse(utf8);
  } catch (const EOleSysError& error) {
    return {error.ErrorCode(), error.Message()};
  }
  return {0, ""};
}

TEST(RegFile, Version5InUtf16ReadsEveryValueForm) {
  const auto root = Parse(Utf16File(
      u"Windows Registry Editor Version 5.00\r\n"
      u"\r\n"
      u"; logs of the machine\r\n"
      u"[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application]\r\n"
      u"\"File\"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,74,00,25,\\\r\n"
      u"  00,00,00\r\n"
      u"\"MaxSize\"=dword:00080000\r\n"
      u"\"Sources\"=hex(7):41,00,00,00,42,00,00,00,00,00\r\n"
      u"@=\"default \\\"quoted\\\" C:\\\\path \u00e9\u4e2d\"\r\n"
      u"\"Blob\"=hex:de,ad,BE,EF\r\n"
      u"\"Empty\"=hex:\r\n"
      u"\"Qword\"=hex(b):01,02,03,04,05,06,07,08\r\n"));
  const RegKey& app = Key(*root, u"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application");
  ASSERT_EQ(app.Values().size(), 7u);
  EXPECT_EQ(app.FindValue(u"file")->type, kRegExpandSz);
  EXPECT_EQ(app.FindValue(u"FILE")->data, Text(u"%SystemRoot%"));
  EXPECT_EQ(app.FindValue(u"MaxSize")->type, kRegDword);
  EXPECT_EQ(app.FindValue(u"MaxSize")->data, (Bytes{0x00, 0x00, 0x08, 0x00}));
  EXPECT_EQ(app.FindValue(u"Sources")->type, kRegMultiSz);
  EXPECT_EQ(app.FindValue(u"Sources")->data, (Bytes{'A', 0, 0, 0, 'B', 0, 0, 0, 0, 0}));
  EXPECT_EQ(app.FindValue(u"")->type, kRegSz);
  EXPECT_EQ(app.FindValue(u"")->data, Text(u"default \"quoted\" C:\\path \u00e9\u4e2d"));
  EXPECT_EQ(app.FindValue(u"Blob")->data, (Bytes{0xDE, 0xAD, 0xBE, 0xEF}));
  EXPECT_EQ(app.FindValue(u"Empty")->type, kRegBinary);
  EXPECT_TRUE(app.FindValue(u"Empty")->data.empty());
  EXPECT_EQ(app.FindValue(u"Qword")->type, 0xBu);
  // Values enumerate in the order the file gave them.
  EXPECT_EQ(app.Values()[0].name, u"File");
  EXPECT_EQ(app.Values()[3].name, u"");
  EXPECT_EQ(app.Values()[6].name, u"Qword");
}

TEST(RegFile, Version5InUtf8WithOrWithoutByteOrderMark) {
  for (std::string bom : {"", "\xEF\xBB\xBF"}) {
    const auto root = Parse(bom +
                            "Windows Registry Editor Version 5.00\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane]\n"
                            "\"Name\"=\"caf\xC3\xA9\"\n");
    EXPECT_EQ(Key(*root, u"SOFTWARE\\Corvane").FindValue(u"Name")->data, Text(u"caf\u00e9"));
  }
}

TEST(RegFile, Regedit4TextAndStringTypedHexAreEightBit) {
  // 0x80 is the euro sign in Windows-1252; hex(2) of that version is 8-bit text too.
  const auto root = Parse(Utf8File(
      "REGEDIT4\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Old]\r\n"
      "\"Price\"=\"5\x80\"\r\n"
      "\"Path\"=hex(2):25,77,69,6e,64,69,72,25,00\r\n"
      "\"Raw\"=hex:80\r\n"));
  const RegKey& old = Key(*root, u"SOFTWARE\\Old");
  EXPECT_EQ(old.FindValue(u"Price")->data, Text(u"5\u20ac"));
  EXPECT_EQ(old.FindValue(u"Path")->type, kRegExpandSz);
  EXPECT_EQ(old.FindValue(u"Path")->data, Text(u"%windir%"));
  EXPECT_EQ(old.FindValue(u"Raw")->data, Bytes{0x80});
}

TEST(RegFile, SubkeysEnumerateSortedIgnoringCaseAndKeysMergeAcrossSections) {
  const auto root = Parse(
      "Windows Registry Editor Version 5.00\n"
      "[HKEY_LOCAL_MACHINE\\S\\zeta]\n"
      "[HKEY_LOCAL_MACHINE\\S\\Alpha]\n"
      "\"a\"=dword:1\n"
      "[HKEY_LOCAL_MACHINE\\S\\beta]\n"
      "[hkey_local_machine\\s\\ALPHA]\n"
      "\"b\"=dword:2\n"
      "\"A\"=dword:3\n");
  const RegKey& s = Key(*root, u"S");
  ASSERT_EQ(s.Subkeys().size(), 3u);
  EXPECT_EQ(s.Subkeys()[0]->Name(), u"Alpha");
  EXPECT_EQ(s.Subkeys()[1]->Name(), u"beta");
  EXPECT_EQ(s.Subkeys()[2]->Name(), u"zeta");
  const RegKey& alpha = Key(*root, u"s\\alpha");
  ASSERT_EQ(alpha.Values().size(), 2u);
  // Setting "A" again replaces "a" in its place.
  EXPECT_EQ(alpha.Values()[0].name, u"a");
  EXPECT_EQ(alpha.Values()[0].data, (Bytes{3, 0, 0, 0}));
}

TEST(RegFile, DeletionsOfKeysAndValues) {
  const auto root = Parse(
      "Windows Registry Editor Version 5.00\n"
      "[HKEY_LOCAL_MACHINE\\A\\B\\C]\n"
      "\"x\"=\"1\"\n"
      "[HKEY_LOCAL_MACHINE\\A\\Keep]\n"
      "\"gone\"=\"1\"\n"
      "\"stays\"=\"2\"\n"
      "\"gone\"=-\n"
      "\"never\"=-\n"
      "[-HKEY_LOCAL_MACHINE\\A\\B]\n"
      "\"ignored\"=\"under a deleted key\"\n"
      "[-HKEY_LOCAL_MACHINE\\Not\\There]\n");
  EXPECT_EQ(FindKey(*root, u"A\\B").status, TPathStatus::NotFound);
  EXPECT_EQ(FindKey(*root, u"A\\B\\C").status, TPathStatus::NotFound);
  const RegKey& keep = Key(*root, u"A\\Keep");
  ASSERT_EQ(keep.Values().size(), 1u);
  EXPECT_EQ(keep.Values()[0].name, u"stays");
  EXPECT_EQ(Key(*root, u"A").Subkeys().size(), 1u);
}

TEST(RegFile, OtherRootsAreReadButNotKept) {
  const auto root = Parse(
      "Windows Registry Editor Version 5.00\n"
      "[HKEY_CURRENT_USER\\Software\\X]\n"
      "\"v\"=\"1\"\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Y]\n");
  ASSERT_EQ(root->Subkeys().size(), 1u);
  EXPECT_EQ(Key(*root, u"Software").Subkeys()[0]->Name(), u"Y");
  EXPECT_TRUE(Key(*root, u"Software\\Y").Values().empty());
}

TEST(RegFile, BrokenFilesAreRefusedWithTheLineAtFault) {
  struct TCase {
    const char* file;
    const char* message;
  };
  const TCase cases[] = {
      {"", "empty"},
      {"REGEDIT5\n", "line 1"},
      {"Windows Registry Editor Version 5.00\n\"v\"=\"before any key\"\n", "line 2: a value before"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A\n", "line 2: a key line must end"},
      {"Windows Registry Editor Version 5.00\n[HKEY_NOWHERE\\A]\n", "unknown root key"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A\\\\B]\n", "empty or overlong"},
      {"Windows Registry Editor Version 5.00\n[-HKEY_LOCAL_MACHINE]\n", "cannot be deleted"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=dword:123456789\n", "line 3"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=dword:\n", "1 to 8 hex"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=hex:1,2g\n", "hex data"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=hex:123\n", "hex data"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=hex:01,\\\n", "ends the file"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=hex(x):01\n", "hex(N)"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"open\n", "no closing quote"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"a\\n\"\n", "backslash"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"a\" x\n", "after the closing"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"v\" \"a\"\n", "'=' expected"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=word:1\n", "unrecognised value"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\nstray\n", "line 3: neither"},
      {"Windows Registry Editor Version 5.00\n\xFF\n", "neither UTF-16 nor UTF-8"},
  };
  for (const TCase& c : cases) {
    const auto [code, message] = Refusal(c.file);
    EXPECT_EQ(code, static_cast<int32_t>(kBadDatabase)) << c.file;
    EXPECT_NE(message.find(c.message), std::string::npos) << c.file << " gave: " << message;
  }
  const Bytes odd = {0xFF, 0xFE, 'W'};
  EXPECT_THROW(Parse(odd), EOleSysError);
  const Bytes bigEndian = {0xFE, 0xFF, 0, 'W'};
  EXPECT_THROW(Parse(bigEndian), EOleSysError);
}

TEST(RegFile, LongKeyNamesAreRefusedAtTheSystemsLimit) {
  const std::string fits(255, 'k');
  EXPECT_NO_THROW(Parse("REGEDIT4\n[HKEY_LOCAL_MACHINE\\" + fits + "]\n"));
  EXPECT_THROW(Parse("REGEDIT4\n[HKEY_LOCAL_MACHINE\\" + fits + "k]\n"), EOleSysError);
}

TEST(RegistryTree, PathsIgnoreCaseAcceptATrailingBackslashAndRefuseEmptyNames) {
  RegKey root(u"HKLM");
  root.CreateSubkey(u"SYSTEM").CreateSubkey(u"CurrentControlSet");
  EXPECT_EQ(FindKey(root, u"system\\currentcontrolset").status, TPathStatus::Found);
  EXPECT_EQ(FindKey(root, u"SYSTEM\\CurrentControlSet\\").status, TPathStatus::Found);
  EXPECT_EQ(FindKey(root, u"").key, &root);
  EXPECT_EQ(FindKey(root, u"SYSTEM\\Missing").status, TPathStatus::NotFound);
  EXPECT_EQ(FindKey(root, u"\\SYSTEM").status, TPathStatus::BadPath);
  EXPECT_EQ(FindKey(root, u"SYSTEM\\\\CurrentControlSet").status, TPathStatus::BadPath);
}

}  // namespace
}  // namespace corvane::network
