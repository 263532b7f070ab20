// Every module we ship says which release it is, as file properties, support staff and
// installers read it: through the system's version functions, in the tree's own width.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <sstream>
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

// VERSION as the build read it, major.minor.patch.
std::string ReleaseVersion() {
  std::ifstream file(CORVANE_SOURCE_DIR "/VERSION");
  std::string version;
  file >> version;
  return version;
}

class VersionResourceTest : public testing::TestWithParam<Module> {
 protected:
  void SetUp() override {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(GetParam().path, &ignored);
    ASSERT_NE(size, 0u) << GetParam().path << " has no version resource";
    data_.resize(size);
    ASSERT_TRUE(GetFileVersionInfoA(GetParam().path, 0, size, data_.data()));
  }

  template <typename T>
  const T* Value(const std::string& path, UINT* length = nullptr) {
    void* value = nullptr;
    UINT bytes = 0;
    if (!VerQueryValueA(data_.data(), path.c_str(), &value, &bytes)) return nullptr;
    if (length) *length = bytes;
    return static_cast<const T*>(value);
  }

  // A string of the US English, Unicode block, or nothing when the block has no such value.
  std::optional<std::string> Text(const std::string& name) {
    UINT length = 0;
    const char* text = Value<char>("\\StringFileInfo\\040904B0\\" + name, &length);
    if (!text) return std::nullopt;
    return std::string(text, strnlen(text, length));
  }

 private:
  std::vector<char> data_;
};

TEST_P(VersionResourceTest, NamesTheReleaseAndTheFile) {
  const Module& module = GetParam();
  const std::string version = ReleaseVersion();
  unsigned major = 0, minor = 0, patch = 0;
  ASSERT_EQ(std::sscanf(version.c_str(), "%u.%u.%u", &major, &minor, &patch), 3) << version;

  const VS_FIXEDFILEINFO* fixed = Value<VS_FIXEDFILEINFO>("\\");
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(fixed->dwSignature, VS_FFI_SIGNATURE);
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(minor, major));
  EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, patch));
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
  EXPECT_EQ(fixed->dwFileType, module.fileType);

  const WORD* translation = Value<WORD>("\\VarFileInfo\\Translation");
  ASSERT_NE(translation, nullptr);
  EXPECT_EQ(translation[0], 0x409);
  EXPECT_EQ(translation[1], 1200);

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
