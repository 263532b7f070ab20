// An application that uses Corvane.ocx without registration, as the release archive describes:
// its own manifest depends on the assembly "Corvane", whose manifest and files lie beside it.
// It knows the control only by its program identifier and class identifier, calls members by
// name, and so needs the classes and both type libraries from its activation context.
// run_regfree_test.sh places it in a prefix where nothing of ours is registered.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "framework/com/ComPtr.h"
#include "framework/com/UniqueBstr.h"
#include "framework/com/UniqueVariant.h"

namespace corvane {
namespace {

// The identity a container stores for the control.
constexpr CLSID kRendalClsid = {
    0x07ACEE36, 0xF982, 0x4B42, {0xBB, 0xAF, 0xED, 0x74, 0x7C, 0x68, 0x4B, 0x26}};

class RegistrationFreeTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(OleInitialize(nullptr), S_OK); }
  static void TearDownTestSuite() { OleUninitialize(); }
};

VARIANT Long(long value) {
  VARIANT v;
  V_VT(&v) = VT_I4;
  V_I4(&v) = value;
  return v;
}

VARIANT Text(const wchar_t* value) {
  VARIANT v;
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(value);
  return v;
}

// Calls `name` on `object` through GetIDsOfNames and Invoke; `arguments` in the caller's order
// are consumed. A failure is a test failure naming the member.
UniqueVariant Invoke(IDispatch& object, const wchar_t* name, WORD kind,
                     std::vector<VARIANT> arguments = {}) {
  UniqueVariant result;
  std::vector<UniqueVariant> owned;
  for (VARIANT& argument : arguments) owned.emplace_back(std::move(argument));
  std::vector<VARIANT> reversed;
  for (auto it = owned.rbegin(); it != owned.rend(); ++it) reversed.push_back(*it->get());
  DISPID member = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  HRESULT hr = object.GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &member);
  EXPECT_EQ(hr, S_OK) << "GetIDsOfNames " << testing::PrintToString(std::wstring(name));
  if (FAILED(hr)) return result;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS parameters{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  if (kind == DISPATCH_PROPERTYPUT) {
    parameters.rgdispidNamedArgs = &named;
    parameters.cNamedArgs = 1;
  }
  hr = object.Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters,
                     kind == DISPATCH_PROPERTYPUT ? nullptr : result.put(), nullptr, nullptr);
  EXPECT_EQ(hr, S_OK) << "Invoke " << testing::PrintToString(std::wstring(name));
  return result;
}

UniqueVariant Get(IDispatch& object, const wchar_t* name, std::vector<VARIANT> arguments = {}) {
  return Invoke(object, name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::move(arguments));
}

void Put(IDispatch& object, const wchar_t* name, VARIANT value) {
  Invoke(object, name, DISPATCH_PROPERTYPUT, {value});
}

std::wstring String(const UniqueVariant& value) {
  return value.Type() == VT_BSTR ? std::wstring(V_BSTR(value.get())) : L"<not a string>";
}

ComPtr<IDispatch> Object(const UniqueVariant& value) {
  return value.Type() == VT_DISPATCH ? ComPtr<IDispatch>::Copy(V_DISPATCH(value.get()))
                                     : ComPtr<IDispatch>();
}

ComPtr<IDispatch> CreateControl() {
  ComPtr<IDispatch> control;
  EXPECT_EQ(CoCreateInstance(kRendalClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                             control.put_void()),
            S_OK);
  return control;
}

// Inside an activation context Wine answers the program identifier with an alias of the class
// identifier, so the object made from it is asked for its class.
TEST_F(RegistrationFreeTest, CreatesTheControlByProgIdAndByClassId) {
  CLSID clsid{};
  ASSERT_EQ(CLSIDFromProgID(L"Corvane.Rendal", &clsid), S_OK);
  ComPtr<IPersist> byName;
  ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPersist, byName.put_void()),
            S_OK);
  CLSID made{};
  ASSERT_EQ(byName->GetClassID(&made), S_OK);
  EXPECT_TRUE(IsEqualCLSID(made, kRendalClsid));
  EXPECT_TRUE(CreateControl());
}

// Members of both libraries by name: the control's own and those of its base interface, which
// the second library declares.
TEST_F(RegistrationFreeTest, ReadsTheBundledServiceLogThroughMembersCalledByName) {
  ComPtr<IDispatch> control = CreateControl();
  ASSERT_TRUE(control);
  ComPtr<ITypeInfo> type;
  ASSERT_EQ(control->GetTypeInfo(0, LOCALE_USER_DEFAULT, type.put()), S_OK);
  UniqueBstr typeName;
  ASSERT_EQ(type->GetDocumentation(MEMBERID_NIL, typeName.put(), nullptr, nullptr, nullptr), S_OK);
  EXPECT_STREQ(typeName.get(), L"IVEVivudAreX");
  EXPECT_EQ(Get(*control.get(), L"LocalComputerName").Type(), VT_BSTR);

  Put(*control.get(), L"SourceName", Text(L"Corvane Deploy"));
  Invoke(*control.get(), L"Add", DISPATCH_METHOD, {Long(4), Text(L"written without registration")});
  Put(*control.get(), L"SourceName", Text(L"Application"));
  VARIANT on;
  V_VT(&on) = VT_BOOL;
  V_BOOL(&on) = VARIANT_TRUE;
  Put(*control.get(), L"Active", on);
  UniqueVariant count = Get(*control.get(), L"Count");
  ASSERT_EQ(count.Type(), VT_I4);
  ASSERT_GE(V_I4(count.get()), 1);
  ComPtr<IDispatch> newest = Object(Get(*control.get(), L"Objects", {Long(V_I4(count.get()) - 1)}));
  ASSERT_TRUE(newest);
  EXPECT_EQ(String(Get(*newest.get(), L"SourceName")), L"Corvane Deploy");
  ComPtr<IDispatch> strings = Object(Get(*newest.get(), L"Strings"));
  ASSERT_TRUE(strings);
  EXPECT_EQ(String(Get(*strings.get(), L"Text")), L"written without registration\r\n");
}

// Keeps the shown dialog of this process (the property frame) in *data. A named callback: a
// lambda has the wrong calling convention for 32-bit Windows.
BOOL CALLBACK KeepFrame(HWND window, LPARAM data) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char name[16] = "";
  GetClassNameA(window, name, sizeof(name));
  if (process != GetCurrentProcessId() || !IsWindowVisible(window) ||
      std::string(name) != "#32770")
    return TRUE;
  *reinterpret_cast<HWND*>(data) = window;
  return FALSE;
}

HWND FindFrame() {
  HWND found = nullptr;
  EnumWindows(KeepFrame, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The frame is modal: this waits for it on a second thread, counts its pages and cancels it.
int CountFramePages() {
  for (int attempt = 0; attempt < 500; ++attempt) {
    if (HWND frame = FindFrame()) {
      HWND tabs = FindWindowExA(frame, nullptr, WC_TABCONTROLA, nullptr);
      const int pages = tabs ? static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0)) : -1;
      PostMessageA(frame, WM_COMMAND, IDCANCEL, 0);
      return pages;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return -1;
}

TEST_F(RegistrationFreeTest, ShowsItsThreePagesInThePropertyFrame) {
  ComPtr<IDispatch> control = CreateControl();
  ASSERT_TRUE(control);
  auto pages = std::async(std::launch::async, CountFramePages);
  const HRESULT shown = control.query<IOleObject>()->DoVerb(OLEIVERB_PROPERTIES, nullptr, nullptr,
                                                            0, nullptr, nullptr);
  EXPECT_EQ(pages.get(), 3);
  EXPECT_EQ(shown, S_OK);
}

}  // namespace
}  // namespace corvane
