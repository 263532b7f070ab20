#include "ControlTestSupport.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "automation/CreateRendal.h"
#include "automation/LibraryIds.h"
#include "common/TypeLibRegistration.h"
#include "framework/com/UniqueBstr.h"

namespace corvane::control_test {
namespace {
std::unique_ptr<test::TypeLibRegistration> persistentLibrary;
std::unique_ptr<test::TypeLibRegistration> controlLibrary;
}  // namespace

void ControlTest::SetUpTestSuite() {
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  // The control library imports the persistent one, which must be found first.
  persistentLibrary = std::make_unique<test::TypeLibRegistration>(kPersistentLibid, CORVANE_OUTPUT_DIR,
                                                                   L"VuvazeRUridazorar.tlb");
  controlLibrary = std::make_unique<test::TypeLibRegistration>(kCorvaneLibid, CORVANE_OUTPUT_DIR, L"Corvane.tlb");
  ASSERT_TRUE(persistentLibrary->Registered() && controlLibrary->Registered());
}

void ControlTest::TearDownTestSuite() {
  controlLibrary.reset();
  persistentLibrary.reset();
  CoUninitialize();
}

ComPtr<IDispatch> NewControl() {
  ComPtr<IDispatch> control;
  EXPECT_EQ(CreateRendal(nullptr, IID_IDispatch, control.put_void()), S_OK);
  return control;
}

UniqueVariant Text(const std::wstring& value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
  return UniqueVariant(std::move(v));
}

UniqueVariant Long(LONG value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_I4;
  V_I4(&v) = value;
  return UniqueVariant(std::move(v));
}

UniqueVariant Bool(bool value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BOOL;
  V_BOOL(&v) = value ? VARIANT_TRUE : VARIANT_FALSE;
  return UniqueVariant(std::move(v));
}

UniqueVariant Object(IUnknown* value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_UNKNOWN;
  V_UNKNOWN(&v) = value;
  value->AddRef();
  return UniqueVariant(std::move(v));
}

std::vector<UniqueVariant> Args(UniqueVariant a) {
  std::vector<UniqueVariant> args;
  args.push_back(std::move(a));
  return args;
}

std::vector<UniqueVariant> Args(UniqueVariant a, UniqueVariant b) {
  std::vector<UniqueVariant> args = Args(std::move(a));
  args.push_back(std::move(b));
  return args;
}

HRESULT Invoke(IDispatch& object, const wchar_t* name, WORD flags, std::vector<UniqueVariant> args,
               UniqueVariant* result) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  const HRESULT found = object.GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(found)) return found;
  std::vector<VARIANT> reversed;
  for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(*it->get());
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  if (flags & DISPATCH_PROPERTYPUT) {
    params.rgdispidNamedArgs = &named;
    params.cNamedArgs = 1;
  }
  UniqueVariant ignored;
  return object.Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                       (flags & DISPATCH_PROPERTYPUT) ? nullptr : (result ? result : &ignored)->put(), nullptr,
                       nullptr);
}

UniqueVariant Get(IDispatch& object, const wchar_t* name, std::vector<UniqueVariant> args) {
  UniqueVariant result;
  const HRESULT hr = Invoke(object, name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::move(args), &result);
  EXPECT_EQ(hr, S_OK) << "reading " << testing::PrintToString(std::wstring(name));
  return result;
}

HRESULT Put(IDispatch& object, const wchar_t* name, UniqueVariant value) {
  std::vector<UniqueVariant> args;
  args.push_back(std::move(value));
  return Invoke(object, name, DISPATCH_PROPERTYPUT, std::move(args));
}

std::wstring AsText(const UniqueVariant& value) {
  UniqueVariant text;
  if (FAILED(VariantChangeType(text.put(), const_cast<VARIANT*>(value.get()), 0, VT_BSTR))) return L"<not text>";
  return std::wstring(V_BSTR(text.get()), SysStringLen(V_BSTR(text.get())));
}

LONG AsLong(const UniqueVariant& value) {
  UniqueVariant number;
  if (FAILED(VariantChangeType(number.put(), const_cast<VARIANT*>(value.get()), 0, VT_I4))) return -12345;
  return V_I4(number.get());
}

ComPtr<IDispatch> AsObject(const UniqueVariant& value) {
  ComPtr<IDispatch> object;
  if (value.Type() == VT_DISPATCH && V_DISPATCH(value.get()) != nullptr) {
    object = ComPtr<IDispatch>::Copy(V_DISPATCH(value.get()));
  }
  return object;
}

ErrorRecord TakeErrorRecord() {
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.put()) != S_OK || !info) return {};
  UniqueBstr description;
  UniqueBstr source;
  info->GetDescription(description.put());
  info->GetSource(source.put());
  auto text = [](const UniqueBstr& b) { return b ? std::wstring(b.get(), b.Length()) : std::wstring(); };
  return {text(description), text(source)};
}

}  // namespace corvane::control_test
