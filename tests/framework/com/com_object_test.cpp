// The object base, IDispatch from type information and the error boundary, driven through
// IDispatch the way a script engine drives them.
#include <windows.h>
#include <initguid.h>

#include <gtest/gtest.h>

#include <limits>
#include <new>

#include "common/RefCount.h"
#include "common/ScriptValue.h"
#include "ComTest.h"
#include "framework/OleSysError.h"
#include "framework/com/AnsiConversion.h"
#include "framework/com/ComObject.h"
#include "framework/com/DispatchImpl.h"
#include "framework/com/UniqueBstr.h"
#include "framework/com/UniqueVariant.h"

namespace corvane {
namespace {

class TWidget final : public ComObject<TWidget, DispatchImpl<IWidget>, ISupportErrorInfo> {
 public:
  static constexpr bool kCountsInModule = true;
  static constexpr const wchar_t* kErrorSource = L"Test.Widget";

  explicit TWidget(ComPtr<ITypeInfo> info) { UseTypeInfo(std::move(info)); }
  explicit TWidget(const GUID& libid) { UseRegisteredTypeInfo(libid); }
  ~TWidget() {
    if (destroyed_ != nullptr) *destroyed_ = true;
  }

  HRESULT STDMETHODCALLTYPE get_Count(LONG* Value) noexcept override {
    return Boundary<IWidget>([&] { *Value = 7; }, Value);
  }
  HRESULT STDMETHODCALLTYPE get_Name(BSTR* Value) noexcept override {
    return Boundary<IWidget>([&] { *Value = AnsiToBstr(name_).release(); }, Value);
  }
  HRESULT STDMETHODCALLTYPE put_Name(BSTR Value) noexcept override {
    return Boundary<IWidget>([&] { name_ = BstrToAnsi(Value, "Name"); });
  }
  // Fills its result, then fails: the caller must get neither the string nor a leak.
  HRESULT STDMETHODCALLTYPE Fail(LONG Code, BSTR* Value) noexcept override {
    return Boundary<IWidget>(
        [&] {
          *Value = AnsiToBstr("partial").release();
          throw EOleSysError("Widget failed", Code);
        },
        Value);
  }
  HRESULT STDMETHODCALLTYPE Exhaust() noexcept override {
    return Boundary<IWidget>([] { throw std::bad_alloc(); });
  }
  HRESULT STDMETHODCALLTYPE Twice(LONG Number, LONG* Value) noexcept override {
    ++calls_;
    return Boundary<IWidget>([&] { *Value = 2 * Number; }, Value);
  }
  HRESULT STDMETHODCALLTYPE get_Partner(IDispatch** Value) noexcept override {
    return Boundary<IWidget>([&] { partner_.copy_to(Value); }, Value);
  }
  HRESULT STDMETHODCALLTYPE put_Partner(IDispatch* Value) noexcept override {
    return Boundary<IWidget>([&] { partner_ = ComPtr<IDispatch>::Copy(Value); });
  }

  int calls_ = 0;
  bool* destroyed_ = nullptr;

 private:
  std::string name_;
  ComPtr<IDispatch> partner_;
};

class ComObjectTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    ASSERT_EQ(LoadTypeLibEx(COM_TEST_TLB, REGKIND_NONE, library_.put()), S_OK);
  }
  static void TearDownTestSuite() {
    library_.reset();
    CoUninitialize();
  }
  static ComPtr<TWidget> NewWidget() { return Make<TWidget>(TypeInfoOf(*library_.get(), __uuidof(IWidget))); }

  static DISPID IdOf(IDispatch* object, const wchar_t* name) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK) << "name";
    return id;
  }

  static ComPtr<ITypeLib> library_;
};
ComPtr<ITypeLib> ComObjectTest::library_;

HRESULT Call(IDispatch* object, DISPID id, WORD flags, VARIANT* arguments, UINT count, VARIANT* result,
             EXCEPINFO* exception = nullptr) {
  DISPID named = DISPID_PROPERTYPUT;
  const bool write = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  DISPPARAMS params{arguments, write ? &named : nullptr, count, write ? 1u : 0u};
  UINT argumentError = 0;
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, exception, &argumentError);
}

TEST_F(ComObjectTest, EveryInterfaceLeadsToOneIdentityAndCountsOnOneCounter) {
  ComPtr<TWidget> widget = NewWidget();
  ComPtr<IWidget> dual = widget.query<IWidget>();
  ComPtr<IDispatch> dispatch = dual.query<IDispatch>();
  ComPtr<ISupportErrorInfo> support = dispatch.query<ISupportErrorInfo>();
  EXPECT_EQ(RefCount(widget->Identity()), 4u);

  ComPtr<IUnknown> fromDual = dual.query<IUnknown>();
  ComPtr<IUnknown> fromSupport = support.query<IUnknown>();
  EXPECT_EQ(fromDual.get(), fromSupport.get());
  EXPECT_EQ(fromDual.get(), widget->Identity());
  EXPECT_EQ(fromSupport.try_query<IWidget>().get(), dual.get());

  void* none = reinterpret_cast<void*>(1);
  EXPECT_EQ(dual->QueryInterface(__uuidof(IGadget), &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(dual->QueryInterface(IID_IPersist, &none), E_NOINTERFACE);
  // Interfaces derived from others answer their bases too.
  EXPECT_TRUE((ComObject<struct TPersisting, IPersistStreamInit>::Answers(IID_IPersist)));
  EXPECT_EQ(RefCount(widget->Identity()), 6u);
}

TEST_F(ComObjectTest, CountedObjectsAndServerLocksHoldTheModule) {
  ASSERT_TRUE(ModuleLock::CanUnload());
  {
    ComPtr<TWidget> widget = NewWidget();
    ComPtr<IDispatch> second = widget.query<IDispatch>();
    EXPECT_EQ(ModuleLock::Objects(), 1);
    widget.reset();
    EXPECT_FALSE(ModuleLock::CanUnload());
  }
  EXPECT_TRUE(ModuleLock::CanUnload());

  ModuleLock::Lock();
  EXPECT_FALSE(ModuleLock::CanUnload());
  ModuleLock::Unlock();
  ModuleLock::Unlock();  // unmatched: must not leave the count below zero
  ModuleLock::Lock();
  EXPECT_FALSE(ModuleLock::CanUnload());
  ModuleLock::Unlock();
  EXPECT_TRUE(ModuleLock::CanUnload());
}

// Script engines call a property read as a method and a method as a property read.
TEST_F(ComObjectTest, APropertyReadCalledAsAMethodAndAMethodReadAsAPropertyBothRun) {
  ComPtr<IDispatch> widget = NewWidget().query<IDispatch>();
  UniqueVariant count;
  EXPECT_EQ(Call(widget.get(), 1, DISPATCH_METHOD, nullptr, 0, count.put()), S_OK);
  EXPECT_EQ(V_I4(count.get()), 7);
  VARIANT code;
  V_VT(&code) = VT_I4;
  V_I4(&code) = static_cast<LONG>(E_ACCESSDENIED);
  UniqueVariant failed;
  EXCEPINFO exception{};
  EXPECT_EQ(Call(widget.get(), 3, DISPATCH_PROPERTYGET, &code, 1, failed.put(), &exception),
            DISP_E_EXCEPTION)
      << "the member's own failure";
  EXPECT_STREQ(exception.bstrDescription, L"Widget failed");
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrHelpFile);
}

TEST_F(ComObjectTest, ScriptsReachMembersByNameInAnyCase) {
  ComPtr<IDispatch> widget = NewWidget().query<IDispatch>();
  EXPECT_EQ(IdOf(widget.get(), L"twice"), 5);
  EXPECT_EQ(IdOf(widget.get(), L"TWICE"), 5);
  EXPECT_EQ(IdOf(widget.get(), L"Count"), 1);

  VARIANT argument;
  V_VT(&argument) = VT_I4;
  V_I4(&argument) = 21;
  UniqueVariant result;
  ASSERT_EQ(Call(widget.get(), 5, DISPATCH_METHOD, &argument, 1, result.put()), S_OK);
  EXPECT_EQ(result.Type(), VT_I4);
  EXPECT_EQ(V_I4(result.get()), 42);

  UniqueBstr name = AnsiToBstr("gear");
  V_VT(&argument) = VT_BSTR;
  V_BSTR(&argument) = name.get();
  ASSERT_EQ(Call(widget.get(), IdOf(widget.get(), L"NAME"), DISPATCH_PROPERTYPUT, &argument, 1, nullptr), S_OK);
  result.reset();
  ASSERT_EQ(Call(widget.get(), 2, DISPATCH_PROPERTYGET, nullptr, 0, result.put()), S_OK);
  ASSERT_EQ(result.Type(), VT_BSTR);
  EXPECT_STREQ(V_BSTR(result.get()), L"gear");

  LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"Missing")};
  DISPID id = 0;
  EXPECT_EQ(widget->GetIDsOfNames(IID_NULL, unknown, 1, 0, &id), DISP_E_UNKNOWNNAME);
}

TEST_F(ComObjectTest, WritingAPropertyThatCanOnlyBeReadFindsNoMember) {
  ComPtr<IDispatch> widget = NewWidget().query<IDispatch>();
  VARIANT argument;
  V_VT(&argument) = VT_I4;
  V_I4(&argument) = 3;
  EXPECT_EQ(Call(widget.get(), 1, DISPATCH_PROPERTYPUT, &argument, 1, nullptr), DISP_E_MEMBERNOTFOUND);
}

VARIANT Number(double value) {
  VARIANT number;
  V_VT(&number) = VT_R8;
  V_R8(&number) = value;
  return number;
}

TEST_F(ComObjectTest, ACallThatDoesNotFitTheDeclarationFailsBeforeTheMemberRuns) {
  ComPtr<TWidget> widget = NewWidget();
  ComPtr<IDispatch> dispatch = widget.query<IDispatch>();
  VARIANT two[] = {Number(1), Number(2)};
  UniqueVariant result;
  EXPECT_EQ(Call(dispatch.get(), 5, DISPATCH_METHOD, two, 2, result.put()), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Call(dispatch.get(), 5, DISPATCH_METHOD, nullptr, 0, result.put()), DISP_E_BADPARAMCOUNT);

  DISPID unknownName = 7;
  DISPPARAMS named{two, &unknownName, 1, 1};
  UINT argumentError = 9;
  EXPECT_EQ(dispatch->Invoke(5, IID_NULL, 0, DISPATCH_METHOD, &named, result.put(), nullptr, &argumentError),
            DISP_E_PARAMNOTFOUND);
  EXPECT_EQ(argumentError, 0u);

  VARIANT notANumber = Number(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(Call(dispatch.get(), 5, DISPATCH_METHOD, &notANumber, 1, result.put()), DISP_E_OVERFLOW);
  EXPECT_EQ(widget->calls_, 0);

  // An argument named by its position reaches the member.
  DISPID number = 0;
  named.rgdispidNamedArgs = &number;
  ASSERT_EQ(dispatch->Invoke(5, IID_NULL, 0, DISPATCH_METHOD, &named, result.put(), nullptr, nullptr), S_OK);
  EXPECT_EQ(V_I4(result.get()), 2);
}

TEST_F(ComObjectTest, AnObjectTheScriptLetsGoWhileAnArgumentIsConvertedLivesUntilTheCallReturns) {
  bool destroyed = false;
  bool destroyedWhileConverting = true;
  ComPtr<TWidget> widget = NewWidget();
  widget->destroyed_ = &destroyed;
  IDispatch* last = widget.query<IDispatch>().detach();
  widget.reset();
  ComPtr<test::TScriptValue> value = Make<test::TScriptValue>([&] {
    last->Release();
    destroyedWhileConverting = destroyed;
  });
  VARIANT argument = value->Argument();
  EXPECT_EQ(Call(last, 2, DISPATCH_PROPERTYPUT, &argument, 1, nullptr), S_OK);
  EXPECT_FALSE(destroyedWhileConverting);
  EXPECT_TRUE(destroyed);
}

TEST_F(ComObjectTest, SetReachesAWriteThatTakesAnObjectButNoReadOnlyProperty) {
  ComPtr<IDispatch> widget = NewWidget().query<IDispatch>();
  ComPtr<IDispatch> partner = NewWidget().query<IDispatch>();
  VARIANT argument;
  V_VT(&argument) = VT_DISPATCH;
  V_DISPATCH(&argument) = partner.get();
  ASSERT_EQ(Call(widget.get(), 6, DISPATCH_PROPERTYPUTREF, &argument, 1, nullptr), S_OK);
  UniqueVariant read;
  ASSERT_EQ(Call(widget.get(), 6, DISPATCH_PROPERTYGET, nullptr, 0, read.put()), S_OK);
  EXPECT_EQ(V_DISPATCH(read.get()), partner.get());
  EXPECT_EQ(Call(widget.get(), 1, DISPATCH_PROPERTYPUTREF, &argument, 1, nullptr), DISP_E_MEMBERNOTFOUND);
}

TEST_F(ComObjectTest, AFailingMemberLeavesAnErrorRecordAndNoResult) {
  ComPtr<TWidget> widget = NewWidget();
  ComPtr<IWidget> dual = widget.query<IWidget>();
  const HRESULT code = static_cast<HRESULT>(0x80041234);
  BSTR value = nullptr;
  EXPECT_EQ(dual->Fail(code, &value), code);
  EXPECT_EQ(value, nullptr);

  ComPtr<IErrorInfo> record;
  ASSERT_EQ(GetErrorInfo(0, record.put()), S_OK);
  UniqueBstr text;
  ASSERT_EQ(record->GetDescription(text.put()), S_OK);
  EXPECT_STREQ(text.get(), L"Widget failed");
  text.reset();
  ASSERT_EQ(record->GetSource(text.put()), S_OK);
  EXPECT_STREQ(text.get(), L"Test.Widget");
  GUID iid{};
  ASSERT_EQ(record->GetGUID(&iid), S_OK);
  EXPECT_EQ(iid, __uuidof(IWidget));
  text.reset();
  record->GetHelpFile(text.put());
  EXPECT_EQ(text.Length(), 0u);

  ComPtr<ISupportErrorInfo> support = dual.query<ISupportErrorInfo>();
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(__uuidof(IWidget)), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(__uuidof(IGadget)), S_FALSE);

  // A code that is no failure result of its own gives E_UNEXPECTED.
  EXPECT_EQ(dual->Fail(11, &value), E_UNEXPECTED);
  // Success clears the record, so it cannot be mistaken for a later failure's.
  LONG count = 0;
  EXPECT_EQ(dual->get_Count(&count), S_OK);
  record.reset();
  EXPECT_EQ(GetErrorInfo(0, record.put()), S_FALSE);
  EXPECT_EQ(dual->get_Count(nullptr), E_POINTER);
}

TEST_F(ComObjectTest, ScriptsSeeTheRecordAsTheirException) {
  ComPtr<IDispatch> widget = NewWidget().query<IDispatch>();
  VARIANT argument;
  V_VT(&argument) = VT_I4;
  V_I4(&argument) = static_cast<LONG>(0x80041234);
  UniqueVariant result;
  EXCEPINFO exception{};
  EXPECT_EQ(Call(widget.get(), 3, DISPATCH_METHOD, &argument, 1, result.put(), &exception), DISP_E_EXCEPTION);
  const UniqueBstr description(exception.bstrDescription), source(exception.bstrSource),
      helpFile(exception.bstrHelpFile);
  EXPECT_EQ(exception.scode, static_cast<HRESULT>(0x80041234));
  EXPECT_STREQ(description.get(), L"Widget failed");
  EXPECT_STREQ(source.get(), L"Test.Widget");
}

TEST_F(ComObjectTest, RunningOutOfMemoryGivesOutOfMemory) {
  ComPtr<IWidget> widget = NewWidget().query<IWidget>();
  EXPECT_EQ(widget->Exhaust(), E_OUTOFMEMORY);
}

TEST_F(ComObjectTest, TypeInformationComesFromTheRegisteredLibrary) {
  const GUID& libid = LIBID_ComFrameworkTest;
  try {
    Make<TWidget>(libid);
    FAIL() << "an unregistered library must not load";
  } catch (const EOleSysError& error) {
    EXPECT_EQ(error.ErrorCode(), TYPE_E_LIBNOTREGISTERED);
  }
  EXPECT_TRUE(ModuleLock::CanUnload()) << "a construction that failed still counts";

  ASSERT_EQ(RegisterTypeLib(library_.get(), const_cast<LPOLESTR>(COM_TEST_TLB), nullptr), S_OK);
  ComPtr<IDispatch> widget = Make<TWidget>(libid).query<IDispatch>();
  EXPECT_EQ(IdOf(widget.get(), L"count"), 1);
  UnRegisterTypeLib(libid, 1, 0, 0, SYS_WIN64);
  // Loaded once for the process: a second object no longer needs the registration.
  EXPECT_NO_THROW(Make<TWidget>(libid));
}

}  // namespace
}  // namespace corvane
