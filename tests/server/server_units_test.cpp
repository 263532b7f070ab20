// Library start and class lookup, on this program's own copy of the server's units (the module
// lock is checked on Corvane.ocx itself). A small class stands in for the control, and the
// machine name page's class stands in for the page classes the module serves.
#include <windows.h>
#include <objbase.h>
#include <ocidl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Corvane.h"
#include "automation/CreateRendal.h"
#include "framework/com/ComObject.h"
#include "pages/NTComponentXPropAbstract.h"
#include "pages/PageFactory.h"
#include "server/LibraryStart.h"
#include "server/ServedPages.h"
#include "server/ServerEntry.h"
#include "system/NTCommon.h"
#include "system/SystemTables.h"

namespace corvane {
namespace {

class TStandIn final : public ComObject<TStandIn, IPersist> {
 public:
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) noexcept override {
    *clsid = __uuidof(Rendal);
    return S_OK;
  }
};

}  // namespace

HRESULT CreateRendal(IUnknown* outer, REFIID iid, void** out) noexcept {
  *out = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  return Make<TStandIn>()->QueryInterface(iid, out);
}

std::vector<ServedClass> MakePageFactories() {
  static const pages::TPageClass kPage{pages::kMachineNamePageClsid,
                                       "TFrNTComponentAbstractProperty",
                                       &pages::CreateMachineNamePage};
  std::vector<ServedClass> served;
  served.push_back(pages::ServePage(kPage));
  return served;
}

namespace {

const std::wstring kPageKey = L"CLSID\\{9B9889AF-6404-4B00-B904-01CCB3B11D3E}";

class ServerUnits : public testing::Test {
 protected:
  void TearDown() override {
    ObserveLibraryUnits(nullptr);
    FinishLibrary();
  }

  static ComPtr<IClassFactory> RendalFactory() {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(ServerGetClassObject(__uuidof(Rendal), IID_IClassFactory, factory.put_void()), S_OK);
    return factory;
  }
};

TEST_F(ServerUnits, StartInTheirOrderOnceAndFinishInReverse) {
  std::vector<std::string> calls;
  ObserveLibraryUnits([&](const char* unit, bool starting) {
    calls.push_back(std::string(starting ? "start " : "finish ") + unit);
  });
  RendalFactory();
  RendalFactory();
  ASSERT_EQ(calls, (std::vector<std::string>{"start server object", "start system tables",
                                             "start account cache", "start Rendal factory",
                                             "start page factories"}));
  EXPECT_GT(DescribeSystemTables()[0].bound, 0);
  // The account cache names well-known accounts for the components while the library runs.
  EXPECT_GT(TNTPersistent(nullptr).GetAccounts("", AccountList::WellKnown)->Count(), 0);

  calls.clear();
  FinishLibrary();
  EXPECT_EQ(calls, (std::vector<std::string>{"finish page factories", "finish Rendal factory",
                                             "finish account cache",
                                             "finish system tables", "finish server object"}));
  EXPECT_EQ(TNTPersistent(nullptr).GetAccounts("", AccountList::WellKnown)->Count(), 0);
}

TEST_F(ServerUnits, UnknownClassGivesNoObjectAndAMissingInterfaceIsRefused) {
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(ServerGetClassObject(IID_IPersist, IID_IClassFactory, &object),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(object, nullptr);
  object = reinterpret_cast<void*>(1);
  EXPECT_EQ(ServerGetClassObject(__uuidof(Rendal), IID_IClassFactory2, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
}

// Registration goes to a private classes root, so the prefix's own entries stay untouched.
class PageRegistration : public ServerUnits {
 protected:
  void SetUp() override {
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kRoot, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &root_, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, root_), ERROR_SUCCESS);
  }
  void TearDown() override {
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    RegDeleteTreeW(root_, nullptr);
    RegCloseKey(root_);
    RegDeleteKeyW(HKEY_CURRENT_USER, kRoot);
    ServerUnits::TearDown();
  }

  static std::wstring Value(const std::wstring& key, const wchar_t* name = nullptr) {
    wchar_t data[1024] = {};
    DWORD size = sizeof(data);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, data,
                     &size) != ERROR_SUCCESS)
      return L"<none>";
    return data;
  }

  static constexpr const wchar_t* kRoot = L"Software\\Corvane tests\\page classes";
  HKEY root_ = nullptr;
};

TEST_F(PageRegistration, PageClassIsServedAndRegisteredWithoutProgIdOrThreadingModel) {
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(ServerGetClassObject(pages::kMachineNamePageClsid, IID_IClassFactory,
                                 factory.put_void()),
            S_OK);
  Server().Register();
  EXPECT_EQ(Value(kPageKey), L"TFrNTComponentAbstractProperty property page");
  EXPECT_EQ(Value(kPageKey + L"\\InprocServer32"), RegisteredModulePath(Server().ModulePath()));
  EXPECT_EQ(Value(kPageKey + L"\\InprocServer32", L"ThreadingModel"), L"<none>");
  EXPECT_EQ(Value(kPageKey + L"\\ProgID"), L"<none>");
  EXPECT_EQ(Value(L"CLSID\\{07ACEE36-F982-4B42-BBAF-ED747C684B26}"),
            L"Rendal control for Windows NT");

  Server().Unregister();
  EXPECT_EQ(Value(kPageKey), L"<none>");
  EXPECT_EQ(Value(L"CLSID\\{07ACEE36-F982-4B42-BBAF-ED747C684B26}"), L"<none>");
}

}  // namespace
}  // namespace corvane
