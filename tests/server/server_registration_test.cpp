// Corvane.ocx registering itself, run on copies of the built module under a classes root of the
// test's own (RegOverridePredefKey), so the prefix's real registration is never touched: one copy
// in a folder whose path holds a blank, with the persistent library beside it, and one without.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/FileTree.h"
#include "Corvane.h"
#include "framework/com/ComPtr.h"
#include "framework/com/UniqueBstr.h"

namespace corvane {
namespace {

const std::string kBuiltModuleDir = CORVANE_BINARY_DIR "\\bin\\";
constexpr wchar_t kClassKey[] = L"CLSID\\{07ACEE36-F982-4B42-BBAF-ED747C684B26}";
constexpr wchar_t kEmbeddedLibrary[] = L"TypeLib\\{564F24F5-D8BA-47CF-817E-111612E18CA8}";
constexpr wchar_t kPersistentLibrary[] = L"TypeLib\\{66AFC8C9-A80D-4252-833A-7CDE87527CA7}";
constexpr wchar_t kLogonPageKey[] = L"CLSID\\{B7CD2C3F-21D1-4144-BA7E-7ACEAB92EC08}";
constexpr wchar_t kListPageKey[] = L"CLSID\\{9AC3090C-55B2-40D0-98E4-B2AB9643766C}";
constexpr wchar_t kDetailPageKey[] = L"CLSID\\{C0261BBB-B3E2-4EAE-A020-1410A03862D5}";

// The default value of `key` (or its value `name`) under the classes root; nothing when the key
// or value is missing.
std::optional<std::wstring> ReadValue(const std::wstring& key, const wchar_t* name = nullptr) {
  wchar_t data[1024] = {};
  DWORD size = sizeof(data);
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::wstring(data);
}

bool KeyExists(const std::wstring& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
    return false;
  RegCloseKey(opened);
  return true;
}

// A copy of the module in a scratch folder, loaded, with its exports.
class ModuleCopy {
 public:
  ModuleCopy(const std::string& folder, bool withPersistentLibrary) : folder_(folder) {
    testing::RemoveTree(folder_);
    CreateDirectoryA(folder_.c_str(), nullptr);
    CopyFileA((kBuiltModuleDir + "Corvane.ocx").c_str(), (folder_ + "\\Corvane.ocx").c_str(),
              FALSE);
    if (withPersistentLibrary) {
      CopyFileA((kBuiltModuleDir + "VuvazeRUridazorar.tlb").c_str(),
                (folder_ + "\\VuvazeRUridazorar.tlb").c_str(), FALSE);
    }
    module_ = LoadLibraryA((folder_ + "\\Corvane.ocx").c_str());
  }
  ~ModuleCopy() {
    if (module_) FreeLibrary(module_);
    testing::RemoveTree(folder_);
  }

  HMODULE Module() const { return module_; }
  std::wstring Path() const {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module_, path, MAX_PATH);
    return path;
  }
  template <typename Function>
  Function* Export(const char* name) const {
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }
  HRESULT Register() const { return Export<HRESULT STDAPICALLTYPE()>("DllRegisterServer")(); }
  HRESULT Unregister() const { return Export<HRESULT STDAPICALLTYPE()>("DllUnregisterServer")(); }
  HRESULT CanUnloadNow() const { return Export<HRESULT STDAPICALLTYPE()>("DllCanUnloadNow")(); }
  ComPtr<IClassFactory> RendalFactory() const {
    ComPtr<IClassFactory> factory;
    using GetClassObject = HRESULT STDAPICALLTYPE(REFCLSID, REFIID, void**);
    EXPECT_EQ(Export<GetClassObject>("DllGetClassObject")(__uuidof(Rendal), IID_IClassFactory,
                                                          factory.put_void()),
              S_OK);
    return factory;
  }

 private:
  std::string folder_;
  HMODULE module_ = nullptr;
};

class ServerRegistration : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::wstring key =
        L"Software\\Corvane tests\\classes " + std::to_wstring(GetCurrentProcessId());
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &root_, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, root_), ERROR_SUCCESS);
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    scratch_ = std::string(temp) + "Corvane server " + std::to_string(GetCurrentProcessId());
  }
  void TearDown() override {
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    RegDeleteTreeW(root_, nullptr);
    RegCloseKey(root_);
    RegDeleteKeyW(
        HKEY_CURRENT_USER,
        (L"Software\\Corvane tests\\classes " + std::to_wstring(GetCurrentProcessId())).c_str());
  }

  HKEY root_ = nullptr;
  std::string scratch_;
};

// The bytes of one resource of `module` (type 2: a bitmap); empty when it has none.
std::string ResourceBytes(HMODULE module, const wchar_t* name, const wchar_t* type) {
  HRSRC found = FindResourceW(module, name, type);
  if (found == nullptr) return {};
  const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
  return std::string(bytes, SizeofResource(module, found));
}

TEST_F(ServerRegistration, ModuleHasExactlyTheFourExportsAndItsResources) {
  ModuleCopy copy(scratch_, true);
  ASSERT_NE(copy.Module(), nullptr);
  const auto* base = reinterpret_cast<const BYTE*>(copy.Module());
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const auto& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  const auto* exports =
      reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
  const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  std::vector<std::string> listed;
  for (DWORD i = 0; i < exports->NumberOfNames; ++i)
    listed.emplace_back(reinterpret_cast<const char*>(base + names[i]));
  EXPECT_EQ(exports->NumberOfFunctions, 4u);
  EXPECT_EQ(listed, (std::vector<std::string>{"DllCanUnloadNow", "DllGetClassObject",
                                              "DllRegisterServer", "DllUnregisterServer"}));

  const std::string toolbox = ResourceBytes(copy.Module(), MAKEINTRESOURCEW(3), MAKEINTRESOURCEW(2));
  EXPECT_FALSE(toolbox.empty());
  EXPECT_EQ(toolbox, ResourceBytes(copy.Module(), L"TVEVIVUDARE", MAKEINTRESOURCEW(2)));
  ComPtr<ITypeLib> embedded;
  ASSERT_EQ(LoadTypeLibEx(copy.Path().c_str(), REGKIND_NONE, embedded.put()), S_OK);
  UniqueBstr name;
  embedded->GetDocumentation(-1, name.put(), nullptr, nullptr, nullptr);
  EXPECT_STREQ(name.get(), L"Corvane");
}

TEST_F(ServerRegistration, WritesEveryEntryWithTheShortPathAndUnregistersThemAgain) {
  ModuleCopy copy(scratch_, true);
  ASSERT_NE(copy.Module(), nullptr);
  ASSERT_EQ(copy.Register(), S_OK);

  wchar_t shortPath[MAX_PATH] = {};
  GetShortPathNameW(copy.Path().c_str(), shortPath, MAX_PATH);
  ASSERT_EQ(std::wstring(shortPath).find(L' '), std::wstring::npos);
  const std::wstring key = kClassKey;
  const std::vector<std::pair<std::wstring, std::wstring>> expected{
      {key, L"Rendal control for Windows NT"},
      {key + L"\\InprocServer32", shortPath},
      {key + L"\\ProgID", L"Corvane.Rendal"},
      {L"Corvane.Rendal", L"Rendal control for Windows NT"},
      {L"Corvane.Rendal\\Clsid", L"{07ACEE36-F982-4B42-BBAF-ED747C684B26}"},
      {key + L"\\Version", L"1.0"},
      {key + L"\\TypeLib", L"{564F24F5-D8BA-47CF-817E-111612E18CA8}"},
      {key + L"\\MiscStatus", L"0"},
      {key + L"\\MiscStatus\\1", L"132497"},
      {key + L"\\ToolboxBitmap32", std::wstring(shortPath) + L",3"},
      {key + L"\\Verb\\0", L"Properties,0,2"},
      {kLogonPageKey, L"TFrmNTPersistentLogonAs property page"},
      {kLogonPageKey + std::wstring(L"\\InprocServer32"), shortPath},
      {kListPageKey, L"TFrmEventLogPropItems property page"},
      {kDetailPageKey, L"TFrmEventLogPropObjects property page"},
  };
  for (const auto& [entry, value] : expected) EXPECT_EQ(ReadValue(entry), value) << entry;
  EXPECT_EQ(ReadValue(key + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
  EXPECT_TRUE(KeyExists(key + L"\\Control"));
  EXPECT_TRUE(KeyExists(kEmbeddedLibrary + std::wstring(L"\\1.0")));
  EXPECT_TRUE(KeyExists(kPersistentLibrary + std::wstring(L"\\1.0")));

  // The page the key names is served, too.
  CLSID logonPage{};
  ASSERT_EQ(CLSIDFromString(kLogonPageKey + 6, &logonPage), S_OK);
  ComPtr<IClassFactory> pageFactory;
  using GetClassObject = HRESULT STDAPICALLTYPE(REFCLSID, REFIID, void**);
  EXPECT_EQ(copy.Export<GetClassObject>("DllGetClassObject")(logonPage, IID_IClassFactory,
                                                             pageFactory.put_void()),
            S_OK);
  pageFactory.reset();

  ASSERT_EQ(copy.Unregister(), S_OK);
  EXPECT_FALSE(KeyExists(key));
  EXPECT_FALSE(KeyExists(kLogonPageKey));
  EXPECT_FALSE(KeyExists(kListPageKey));
  EXPECT_FALSE(KeyExists(kDetailPageKey));
  EXPECT_FALSE(KeyExists(L"Corvane.Rendal"));
  EXPECT_FALSE(KeyExists(kEmbeddedLibrary));
  EXPECT_TRUE(KeyExists(kPersistentLibrary)) << "the persistent library stays registered";
}

TEST_F(ServerRegistration, WithoutThePersistentLibraryFailsWithItsMessageYetRendalCreates) {
  ModuleCopy copy(scratch_, false);
  ASSERT_NE(copy.Module(), nullptr);
  EXPECT_TRUE(FAILED(copy.Register()));
  ComPtr<IErrorInfo> error;
  ASSERT_EQ(GetErrorInfo(0, error.put()), S_OK);
  UniqueBstr description;
  error->GetDescription(description.put());
  EXPECT_STREQ(description.get(),
               L"Cannot register type library (VuvazeRUridazorar.tlb not found ?)");
  EXPECT_TRUE(KeyExists(std::wstring(kClassKey) + L"\\InprocServer32"))
      << "the class stays registered";

  ComPtr<IClassFactory> factory = copy.RendalFactory();
  ASSERT_TRUE(factory);
  ComPtr<IUnknown> control;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, control.put_void()), S_OK);
}

TEST_F(ServerRegistration, ControlsAdaptersAndLocksKeepTheModule) {
  ModuleCopy copy(scratch_, true);
  ASSERT_EQ(copy.Register(), S_OK);
  ComPtr<IClassFactory> factory = copy.RendalFactory();
  ASSERT_TRUE(factory);
  EXPECT_EQ(copy.CanUnloadNow(), S_OK);

  ComPtr<IVEVivudAreX> control;
  ASSERT_EQ(factory->CreateInstance(nullptr, __uuidof(IVEVivudAreX), control.put_void()), S_OK);
  EXPECT_EQ(copy.CanUnloadNow(), S_FALSE);
  ComPtr<IEventItem> record;
  ASSERT_EQ(control->get_WriteObject(record.put()), S_OK);
  control.reset();
  EXPECT_EQ(copy.CanUnloadNow(), S_FALSE) << "a script may still hold the record's adapter";
  record.reset();
  EXPECT_EQ(copy.CanUnloadNow(), S_OK);

  factory->LockServer(TRUE);
  EXPECT_EQ(copy.CanUnloadNow(), S_FALSE);
  factory->LockServer(FALSE);
  EXPECT_EQ(copy.CanUnloadNow(), S_OK);
}

}  // namespace
}  // namespace corvane
