// Every module we ship says which release it is, as file properties, support staff and
// installers read it: through the system's version functions, in the tree's own width.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Module {
  const char* path;
  const char* fileName;
  DWORD fileType;
  bool selfRegistering;
};

const Module kShipped[] = {
    {CORVANE_OCX, "Corvane.ocx", VFT_DLL, true},
    {CORVANE_SERVICE, "ntevtsvc.dll", VFT_DLL, false},
    {CORVANE_MESSAGES, "corvmsg.dll", VFT_DLL, false},
    {CORVANE_COMMAND, "corvane.exe", VFT_APP, false},
};

class VersionResourceTest : public testing::TestWithParam<Module> {
 protected:
  // The value at `path` of the module's resource, or nothing.
  std::optional<std::string> Value(const std::string& path) {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data_.data(), path.c_str(), &value, &length)) return std::nullopt;
    return std::string(static_cast<const char*>(value), length);
  }
  std::optional<std::string> Text(const std::string& name) {
    auto text = Value("\\StringFileInfo\\040904B0\\" + name);
    if (text) text->resize(strnlen(text->c_str(), text->size()));
    return text;
  }

  std::vector<char> data_;
};

TEST_P(VersionResourceTest, NamesTheReleaseAndTheFile) {
  const Module& module = GetParam();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(module.path, &ignored);
  ASSERT_NE(size, 0u) << module.path << " has no version resource";
  data_.resize(size);
  ASSERT_TRUE(GetFileVersionInfoA(module.path, 0, size, data_.data()));

  std::string version;
  std::ifstream(CORVANE_SOURCE_DIR "/VERSION") >> version;
  unsigned major = 0, minor = 0, patch = 0;
  ASSERT_EQ(std::sscanf(version.c_str(), "%u.%u.%u", &major, &minor, &patch), 3) << version;
  VS_FIXEDFILEINFO fixed{};
  const auto root = Value("\\");
  ASSERT_TRUE(root && root->size() == sizeof fixed);
  memcpy(&fixed, root->data(), sizeof fixed);
  EXPECT_EQ(fixed.dwSignature, VS_FFI_SIGNATURE);
  EXPECT_EQ(fixed.dwFileVersionMS, MAKELONG(minor, major));
  EXPECT_EQ(fixed.dwFileVersionLS, MAKELONG(0, patch));
  EXPECT_EQ(fixed.dwProductVersionMS, fixed.dwFileVersionMS);
  EXPECT_EQ(fixed.dwProductVersionLS, fixed.dwFileVersionLS);
  EXPECT_EQ(fixed.dwFileType, module.fileType);
  // US English, Unicode: the block the strings are read from.
  EXPECT_EQ(Value("\\VarFileInfo\\Translation"), std::string("\x09\x04\xB0\x04", 4));

  const std::string name = module.fileName;
  EXPECT_EQ(Text("CompanyName"), "Corvane");
  EXPECT_EQ(Text("ProductName"), "Corvane");
  EXPECT_EQ(Text("ProductVersion"), version);
  EXPECT_EQ(Text("FileVersion"), version + ".0");
  EXPECT_EQ(Text("OriginalFilename"), name);
  EXPECT_EQ(Text("InternalName"), name.substr(0, name.find('.')));
  EXPECT_NE(Text("LegalCopyright").value_or("").find("Corvane"), std::string::npos);
  EXPECT_GT(Text("FileDescription").value_or("").size(), std::string("Corvane ").size());
  EXPECT_EQ(Text("OLESelfRegister"), module.selfRegistering ? std::optional<std::string>("")
                                                            : std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Shipped, VersionResourceTest, testing::ValuesIn(kShipped),
                         [](const testing::TestParamInfo<Module>& info) {
                           std::string name = info.param.fileName;
                           name[name.find('.')] = '_';
                           return name;
                         });

}  // namespace
