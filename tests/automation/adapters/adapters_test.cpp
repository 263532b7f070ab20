// The adapters of records, data bytes, string lists and credentials, reached the way a script
// reaches them: member names through GetIDsOfNames, calls through IDispatch::Invoke with the
// flags a script engine sends, against both type libraries as built and registered.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <iterator>
#include <limits>
#include <memory>
#include <string>

#include "automation/LibraryIds.h"
#include "common/RefCount.h"
#include "common/ScriptValue.h"
#include "common/TypeLibRegistration.h"
#include "automation/NTpersistentXAdapters.h"
#include "automation/VEVivudAreXAdapters.h"
#include "core/EventItem.h"
#include "framework/com/ModuleLock.h"
#include "framework/com/UniqueBstr.h"
#include "framework/com/UniqueVariant.h"

namespace corvane {
namespace {

class AdaptersTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    // The control library imports the persistent one, which must be found first.
    persistent_ = new test::TypeLibRegistration(kPersistentLibid, CORVANE_OUTPUT_DIR, L"VuvazeRUridazorar.tlb");
    corvane_ = new test::TypeLibRegistration(kCorvaneLibid, CORVANE_OUTPUT_DIR, L"Corvane.tlb");
    ASSERT_TRUE(persistent_->Registered() && corvane_->Registered());
  }
  static void TearDownTestSuite() {
    delete corvane_;
    delete persistent_;
    ReleaseCachedTypeInfos();
    CoUninitialize();
  }

  static test::TypeLibRegistration* persistent_;
  static test::TypeLibRegistration* corvane_;
};
test::TypeLibRegistration* AdaptersTest::persistent_ = nullptr;
test::TypeLibRegistration* AdaptersTest::corvane_ = nullptr;

UniqueVariant Int(LONG value) {
  VARIANT v;
  V_VT(&v) = VT_I4;
  V_I4(&v) = value;
  return UniqueVariant(std::move(v));
}

UniqueVariant Text(const wchar_t* value) {
  VARIANT v;
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(value);
  return UniqueVariant(std::move(v));
}

// One call as a script engine makes it: `args` in script order, `flags` as the engine sends them
// (a read both as property and method, as VBScript does). The result lands in `result`.
HRESULT Invoke(IDispatch* object, const wchar_t* name, WORD flags, std::initializer_list<const VARIANT*> args,
               UniqueVariant* result = nullptr) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = DISPID_UNKNOWN;
  const HRESULT found = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(found)) return found;
  // Arguments travel in reverse order; the engine keeps the values, the callee only reads them.
  VARIANT reversed[4];
  UINT count = 0;
  for (auto it = std::rbegin(args); it != std::rend(args); ++it) reversed[count++] = **it;
  DISPID named = DISPID_PROPERTYPUT;
  const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
  DISPPARAMS params{reversed, put ? &named : nullptr, count, put ? 1u : 0u};
  UINT argumentError = 0;
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result ? result->put() : nullptr,
                        nullptr, &argumentError);
}

constexpr WORD kRead = DISPATCH_PROPERTYGET | DISPATCH_METHOD;

UniqueVariant Read(IDispatch* object, const wchar_t* name, std::initializer_list<const VARIANT*> args = {}) {
  UniqueVariant result;
  EXPECT_EQ(Invoke(object, name, kRead, args, &result), S_OK) << "reading " << testing::PrintToString(name);
  return result;
}

LONG ReadInt(IDispatch* object, const wchar_t* name, std::initializer_list<const VARIANT*> args = {}) {
  UniqueVariant result = Read(object, name, args);
  EXPECT_EQ(result.Type(), VT_I4);
  return V_I4(result.get());
}

std::wstring ReadText(IDispatch* object, const wchar_t* name, std::initializer_list<const VARIANT*> args = {}) {
  UniqueVariant result = Read(object, name, args);
  EXPECT_EQ(result.Type(), VT_BSTR);
  return result.Type() == VT_BSTR ? std::wstring(V_BSTR(result.get()), SysStringLen(V_BSTR(result.get())))
                                  : std::wstring();
}

ComPtr<IDispatch> ReadObject(IDispatch* object, const wchar_t* name) {
  UniqueVariant result = Read(object, name);
  EXPECT_EQ(result.Type(), VT_DISPATCH);
  return result.Type() == VT_DISPATCH ? ComPtr<IDispatch>::Copy(V_DISPATCH(result.get())) : ComPtr<IDispatch>();
}

HRESULT Write(IDispatch* object, const wchar_t* name, std::initializer_list<const VARIANT*> args) {
  return Invoke(object, name, DISPATCH_PROPERTYPUT, args);
}

HRESULT CallMethod(IDispatch* object, const wchar_t* name, std::initializer_list<const VARIANT*> args,
                   UniqueVariant* result = nullptr) {
  return Invoke(object, name, DISPATCH_METHOD, args, result);
}

// The description of the thread's error record, checking that it names no source.
std::wstring ErrorDescription() {
  ComPtr<IErrorInfo> record;
  if (GetErrorInfo(0, record.put()) != S_OK) return L"(no error record)";
  UniqueBstr text;
  record->GetSource(text.put());
  EXPECT_EQ(text.Length(), 0u) << "adapters name no source";
  text.reset();
  record->GetDescription(text.put());
  return text.get() ? text.get() : L"";
}

ComPtr<IDispatch> DispatchOf(TEventItem& item) { return EventItemAdapter(item).query<IDispatch>(); }

TEST_F(AdaptersTest, ARecordShowsItsFieldsToScripts) {
  TEventItem item(nullptr);
  item.SetTimeGenerated(25569.5);
  item.SetNumber(42);
  item.SetEventId(0xC0000005u);
  item.SetSourceName("Source\xE9");
  item.SetComputerName("HOST");
  ComPtr<IDispatch> record = DispatchOf(item);

  UniqueVariant time = Read(record.get(), L"TimeGenerated");
  EXPECT_EQ(time.Type(), VT_DATE);
  EXPECT_EQ(V_DATE(time.get()), 25569.5);
  EXPECT_EQ(ReadInt(record.get(), L"Number"), 42);
  EXPECT_EQ(ReadInt(record.get(), L"EventId"), static_cast<LONG>(0xC0000005u));
  EXPECT_EQ(ReadText(record.get(), L"SourceName"), L"Source\u00E9");
  EXPECT_EQ(ReadText(record.get(), L"ComputerName"), L"HOST");
  // Without a SID no lookup is made; the pages ask by this spelling.
  EXPECT_EQ(ReadText(record.get(), L"UserName"), L"N/A");

  UniqueVariant id = Int(-1);
  ASSERT_EQ(Write(record.get(), L"EventId", {id.get()}), S_OK);
  EXPECT_EQ(item.EventId(), 0xFFFFFFFFu);
}

TEST_F(AdaptersTest, EventTypeTravelsAsTheSystemValueAndCategoryAsSixteenBits) {
  TEventItem item(nullptr);
  ComPtr<IDispatch> record = DispatchOf(item);
  UniqueVariant audit = Int(16), unknown = Int(3), wide = Int(65537);

  ASSERT_EQ(Write(record.get(), L"EventType", {audit.get()}), S_OK);
  EXPECT_EQ(item.EventType(), TEventType::AuditFailure);
  EXPECT_EQ(ReadInt(record.get(), L"EventType"), 16);
  // Not one of the six values: accepted, and taken as success.
  ASSERT_EQ(Write(record.get(), L"EventType", {unknown.get()}), S_OK);
  EXPECT_EQ(ReadInt(record.get(), L"EventType"), 0);

  ASSERT_EQ(Write(record.get(), L"Eventcategory", {wide.get()}), S_OK);
  EXPECT_EQ(ReadInt(record.get(), L"EventCategory"), 1);
}

TEST_F(AdaptersTest, ARecordKeepsOneAdapterAndOneByteListAdapterButMakesAStringListPerRequest) {
  TEventItem item(nullptr);
  item.Strings().Add("first");
  ComPtr<IEventItem> adapter = EventItemAdapter(item);
  EXPECT_EQ(RefCount(adapter.get()), 2u) << "the caller's reference and the record's";
  EXPECT_EQ(EventItemAdapter(item).get(), adapter.get());
  ComPtr<IDispatch> record = adapter.query<IDispatch>();

  ComPtr<IDispatch> bytes = ReadObject(record.get(), L"DataBytes");
  ComPtr<IDispatch> again = ReadObject(record.get(), L"DataBytes");
  EXPECT_EQ(bytes.query<IUnknown>().get(), again.query<IUnknown>().get());

  ComPtr<IDispatch> strings = ReadObject(record.get(), L"Strings");
  ComPtr<IDispatch> other = ReadObject(record.get(), L"Strings");
  EXPECT_NE(strings.query<IUnknown>().get(), other.query<IUnknown>().get());
  UniqueVariant second = Text(L"second");
  ASSERT_EQ(CallMethod(strings.get(), L"Add", {second.get()}), S_OK);
  UniqueVariant index = Int(1);
  EXPECT_EQ(ReadText(other.get(), L"Item", {index.get()}), L"second");
  EXPECT_EQ(item.Strings().Count(), 2);
}

TEST_F(AdaptersTest, AHeldAdapterFailsClearlyOnceItsRecordIsGone) {
  const LONG objectsBefore = ModuleLock::Objects();
  ComPtr<IDispatch> record, bytes, strings;
  {
    TEventItem item(nullptr);
    record = DispatchOf(item);
    bytes = ReadObject(record.get(), L"DataBytes");
    strings = ReadObject(record.get(), L"Strings");
    EXPECT_EQ(ModuleLock::Objects(), objectsBefore + 3) << "a held adapter keeps the module loaded";
  }
  EXPECT_EQ(RefCount(record.get()), 2u) << "the record let its reference go; the list adapter holds one";

  UniqueVariant result;
  EXPECT_EQ(Invoke(record.get(), L"Number", kRead, {}, &result), DISP_E_EXCEPTION);
  EXPECT_EQ(ErrorDescription(), L"The event object is not available any more.");
  result.reset();
  EXPECT_EQ(Invoke(strings.get(), L"Count", kRead, {}, &result), DISP_E_EXCEPTION);
  EXPECT_EQ(ErrorDescription(), L"The event object is not available any more.");
  UniqueVariant one = Int(1);
  EXPECT_EQ(CallMethod(bytes.get(), L"Add", {one.get()}), DISP_E_EXCEPTION);
  EXPECT_EQ(ErrorDescription(), L"The event data is not available any more.");

  record.reset();
  bytes.reset();
  strings.reset();
  EXPECT_EQ(ModuleLock::Objects(), objectsBefore);
}

TEST_F(AdaptersTest, AStringListWhoseRecordGoesWhileAValueIsConvertedFailsClearly) {
  for (const bool add : {true, false}) {
    auto item = std::make_unique<TEventItem>(nullptr);
    item->Strings().Add("first");
    ComPtr<IDispatch> strings = ReadObject(DispatchOf(*item).get(), L"Strings");
    ComPtr<test::TScriptValue> value = Make<test::TScriptValue>([&] { item.reset(); });
    VARIANT argument = value->Argument();
    UniqueVariant zero = Int(0);
    const HRESULT hr = add ? CallMethod(strings.get(), L"Add", {&argument})
                           : Write(strings.get(), L"Item", {zero.get(), &argument});
    EXPECT_EQ(hr, DISP_E_EXCEPTION);
    EXPECT_EQ(ErrorDescription(), L"The event object is not available any more.");
  }
}

TEST_F(AdaptersTest, AValueThatDoesNotFitOrAnArgumentTooManyChangesNothing) {
  TEventItem item(nullptr);
  const uint8_t data[] = {7};
  item.SetData(data, 1);
  item.Strings().Add("kept");
  ComPtr<IDispatch> record = DispatchOf(item);
  ComPtr<IDispatch> bytes = ReadObject(record.get(), L"DataBytes");
  ComPtr<IDispatch> strings = ReadObject(record.get(), L"Strings");

  VARIANT notAByte;
  V_VT(&notAByte) = VT_R8;
  V_R8(&notAByte) = std::numeric_limits<double>::quiet_NaN();
  UniqueVariant zero = Int(0), one = Int(1), two = Int(2);
  EXPECT_EQ(CallMethod(bytes.get(), L"Add", {&notAByte}), DISP_E_OVERFLOW);
  EXPECT_EQ(Write(bytes.get(), L"Item", {zero.get(), &notAByte}), DISP_E_OVERFLOW);
  EXPECT_EQ(CallMethod(bytes.get(), L"Add", {one.get(), two.get()}), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(CallMethod(bytes.get(), L"Clear", {one.get()}), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(CallMethod(strings.get(), L"Clear", {one.get()}), DISP_E_BADPARAMCOUNT);
  ASSERT_EQ(item.DataLength(), 1);
  EXPECT_EQ(item.Data()[0], 7);
  EXPECT_EQ(item.Strings().Count(), 1);
}

// The enumerator a For Each asks for, under the identifier no type library declares.
ComPtr<IEnumVARIANT> NewEnum(IDispatch* list) {
  DISPPARAMS none{};
  UniqueVariant result;
  EXPECT_EQ(list->Invoke(DISPID_NEWENUM, IID_NULL, 0, kRead, &none, result.put(), nullptr, nullptr), S_OK);
  return result.Type() == VT_UNKNOWN ? ComPtr<IUnknown>::Copy(V_UNKNOWN(result.get())).query<IEnumVARIANT>()
                                     : ComPtr<IEnumVARIANT>();
}

TEST_F(AdaptersTest, ForEachWalksASnapshotOfTheStringsAndOfTheBytes) {
  ComPtr<IEnumVARIANT> strings, bytes;
  {
    TEventItem item(nullptr);
    item.Strings().Add("one");
    item.Strings().Add("two");
    const uint8_t data[] = {0, 200};
    item.SetData(data, 2);
    ComPtr<IDispatch> record = DispatchOf(item);
    strings = NewEnum(ReadObject(record.get(), L"Strings").get());
    bytes = NewEnum(ReadObject(record.get(), L"DataBytes").get());
    item.Strings().Add("three");
  }
  ASSERT_TRUE(strings && bytes);
  // The record is gone and grew before it went: the enumerators walk what it held when they were made.
  VARIANT got[3];
  ULONG fetched = 0;
  ASSERT_EQ(strings->Next(3, got, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 2u);
  UniqueVariant first(std::move(got[0])), second(std::move(got[1]));
  EXPECT_STREQ(V_BSTR(first.get()), L"one");
  EXPECT_STREQ(V_BSTR(second.get()), L"two");
  ASSERT_EQ(bytes->Skip(1), S_OK);
  ASSERT_EQ(bytes->Next(1, got, nullptr), S_OK);
  EXPECT_EQ(V_VT(&got[0]), VT_UI1);
  EXPECT_EQ(V_UI1(&got[0]), 200);
}

TEST_F(AdaptersTest, DataBytesWorkOnTheRecordsDataAndStayInsideIt) {
  TEventItem item(nullptr);
  const uint8_t data[] = {1, 2, 3};
  item.SetData(data, 3);
  ComPtr<IDispatch> bytes = ReadObject(DispatchOf(item).get(), L"DataBytes");

  UniqueVariant zero = Int(0), five = Int(5), nine = Int(9);
  EXPECT_EQ(ReadInt(bytes.get(), L"Count"), 3);
  ASSERT_EQ(Write(bytes.get(), L"Item", {zero.get(), nine.get()}), S_OK);
  UniqueVariant first = Read(bytes.get(), L"Item", {zero.get()});
  EXPECT_EQ(first.Type(), VT_UI1);
  EXPECT_EQ(V_UI1(first.get()), 9);

  UniqueVariant result;
  EXPECT_EQ(Invoke(bytes.get(), L"Item", kRead, {five.get()}, &result), DISP_E_EXCEPTION);
  EXPECT_EQ(ErrorDescription(), L"List index out of bounds (5)");
  EXPECT_EQ(Write(bytes.get(), L"Item", {five.get(), nine.get()}), DISP_E_EXCEPTION);
  EXPECT_EQ(item.DataLength(), 3);

  ASSERT_EQ(CallMethod(bytes.get(), L"Add", {five.get()}), S_OK);
  ASSERT_EQ(item.DataLength(), 4);
  EXPECT_EQ(item.Data()[3], 5);
  ASSERT_EQ(CallMethod(bytes.get(), L"Clear", {}), S_OK);
  EXPECT_EQ(item.Data(), nullptr);
  EXPECT_EQ(ReadInt(bytes.get(), L"Count"), 0);
}

// Tells when the list an adapter owns is freed.
class TWatchedList : public TStringList {
 public:
  explicit TWatchedList(bool& freed) : freed_(freed) {}
  ~TWatchedList() override { freed_ = true; }

 private:
  bool& freed_;
};

TEST_F(AdaptersTest, AStringListReadsWritesAndSearchesItsLines) {
  bool freed = false;
  ComPtr<IDispatch> list = StringListAdapter(std::make_unique<TWatchedList>(freed)).query<IDispatch>();

  UniqueVariant lines = Text(L"one\r\ntwo\nthree\r\n");
  ASSERT_EQ(Write(list.get(), L"Text", {lines.get()}), S_OK);
  EXPECT_EQ(ReadInt(list.get(), L"Count"), 3);

  UniqueVariant twelve = Int(12), application = Text(L"Application");
  UniqueVariant added;
  ASSERT_EQ(CallMethod(list.get(), L"Add", {twelve.get()}, &added), S_OK);
  EXPECT_EQ(V_I4(added.get()), 3);
  UniqueVariant three = Int(3), one = Int(1), five = Int(5);
  EXPECT_EQ(ReadText(list.get(), L"Item", {three.get()}), L"12");
  ASSERT_EQ(Write(list.get(), L"Item", {one.get(), application.get()}), S_OK);
  UniqueVariant lower = Text(L"application");
  EXPECT_EQ(ReadInt(list.get(), L"IndexOf", {lower.get()}), 1);
  EXPECT_EQ(ReadText(list.get(), L"Text"), L"one\r\nApplication\r\nthree\r\n12\r\n");

  EXPECT_EQ(CallMethod(list.get(), L"Delete", {five.get()}), DISP_E_EXCEPTION);
  EXPECT_EQ(ErrorDescription(), L"List index out of bounds (5)");
  VARIANT null;
  V_VT(&null) = VT_NULL;
  UniqueVariant result;
  EXPECT_EQ(CallMethod(list.get(), L"Add", {&null}, &result), DISP_E_EXCEPTION);
  EXPECT_EQ(ErrorDescription(), L"The value cannot be converted to a string");
  EXPECT_EQ(ReadInt(list.get(), L"Count"), 4);

  EXPECT_FALSE(freed);
  list.reset();
  EXPECT_TRUE(freed) << "a list made for one call goes with its adapter";
}

TEST_F(AdaptersTest, AnAdapterWithoutAListReadsAsEmpty) {
  ComPtr<IDispatch> list = StringListAdapter(nullptr).query<IDispatch>();
  UniqueVariant zero = Int(0), item = Text(L"x");
  EXPECT_EQ(ReadInt(list.get(), L"Count"), 0);
  EXPECT_EQ(Read(list.get(), L"Item", {zero.get()}).Type(), VT_NULL);
  UniqueVariant added;
  ASSERT_EQ(CallMethod(list.get(), L"Add", {item.get()}, &added), S_OK);
  EXPECT_EQ(V_I4(added.get()), -1);
}

TEST_F(AdaptersTest, CredentialsAreOneAdapterThatStoresWhatScriptsWrite) {
  ComPtr<IDispatch> held;
  {
    TLogonAs credentials;
    credentials.SetPassword("s\xE9" "cret");
    ComPtr<ILogonAs> adapter = LogonAsAdapter(credentials);
    EXPECT_EQ(LogonAsAdapter(credentials).get(), adapter.get());
    held = adapter.query<IDispatch>();

    UniqueVariant user = Text(L"DOMAIN\\admin");
    ASSERT_EQ(Write(held.get(), L"username", {user.get()}), S_OK);
    EXPECT_EQ(credentials.UserName(), "DOMAIN\\admin");
    EXPECT_EQ(ReadText(held.get(), L"Password"), L"s\u00E9cret");
  }
  UniqueVariant result;
  EXPECT_EQ(Invoke(held.get(), L"UserName", kRead, {}, &result), DISP_E_EXCEPTION);
  EXPECT_EQ(ErrorDescription(), L"The credentials are not available any more.");
  EXPECT_EQ(RefCount(held.get()), 1u);
}

}  // namespace
}  // namespace corvane
