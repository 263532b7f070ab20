// The members of the event-log control and of its base, called by name through IDispatch as a
// script calls them, against a log of the test's own in the bundled event-log service.
#include <gtest/gtest.h>

#include "ComponentTestSupport.h"
#include "ControlTestSupport.h"
#include "framework/com/ComObject.h"

namespace corvane::control_test {
namespace {

using component_test::TestLog;

class ControlMembersTest : public ControlTest {};

bool SameObject(IDispatch* a, IDispatch* b) {
  ComPtr<IUnknown> ua;
  ComPtr<IUnknown> ub;
  a->QueryInterface(IID_IUnknown, ua.put_void());
  b->QueryInterface(IID_IUnknown, ub.put_void());
  return ua && ua.get() == ub.get();
}

TEST_F(ControlMembersTest, TheOpenLogIsReadWrittenAndKeepsItsSourceUntilReopened) {
  TestLog log("ctlmembers", {"CtlSource"});
  ComPtr<IDispatch> control = NewControl();
  EXPECT_EQ(AsLong(Get(*control.get(), L"Handle")), 0);
  ASSERT_EQ(Put(*control.get(), L"SourceName", Text(std::wstring(log.Name().begin(), log.Name().end()))), S_OK);
  ASSERT_EQ(Put(*control.get(), L"Active", Bool(true)), S_OK);
  EXPECT_EQ(V_BOOL(Get(*control.get(), L"Active").get()), VARIANT_TRUE);
  EXPECT_NE(AsLong(Get(*control.get(), L"Handle")), 0);

  // 3 is none of the six system values: the event is written as success.
  ASSERT_EQ(Invoke(*control.get(), L"Add", DISPATCH_METHOD, Args(Long(3), Text(L"x"))), S_OK);
  ASSERT_EQ(AsLong(Get(*control.get(), L"Count")), 1);
  ComPtr<IDispatch> first = AsObject(Get(*control.get(), L"Objects", Args(Long(0))));
  ASSERT_TRUE(first);
  EXPECT_EQ(AsLong(Get(*first.get(), L"EventType")), 0);
  EXPECT_TRUE(SameObject(first.get(), AsObject(Get(*control.get(), L"Objects", Args(Long(0)))).get()));

  // A new source name waits for the next opening.
  ASSERT_EQ(Put(*control.get(), L"SourceName", Text(L"NoSuchLogAnywhere")), S_OK);
  EXPECT_EQ(AsText(Get(*control.get(), L"SourceName")), L"NoSuchLogAnywhere");
  EXPECT_EQ(AsLong(Get(*control.get(), L"Count")), 1);

  ASSERT_EQ(Put(*control.get(), L"SourceName", Text(std::wstring(log.Name().begin(), log.Name().end()))), S_OK);
  ASSERT_EQ(Put(*control.get(), L"Active", Bool(false)), S_OK);
  EXPECT_EQ(AsLong(Get(*control.get(), L"Handle")), 0);
  ASSERT_EQ(Put(*control.get(), L"Active", Long(7)), S_OK);  // any non-zero value is true
  EXPECT_FALSE(SameObject(first.get(), AsObject(Get(*control.get(), L"Objects", Args(Long(0)))).get()));
}

TEST_F(ControlMembersTest, AFailureReturnsNothingAndLeavesTheMessageUnderTheControlsName) {
  TestLog log("ctlfail", {"CtlSource"});
  ComPtr<IDispatch> control = NewControl();
  Put(*control.get(), L"SourceName", Text(std::wstring(log.Name().begin(), log.Name().end())));
  Put(*control.get(), L"Active", Bool(true));
  UniqueVariant result;
  EXPECT_TRUE(FAILED(Invoke(*control.get(), L"Objects", DISPATCH_METHOD | DISPATCH_PROPERTYGET, Args(Long(5)),
                            &result)));
  EXPECT_TRUE(result.Type() == VT_EMPTY || (result.Type() == VT_DISPATCH && V_DISPATCH(result.get()) == nullptr));
  const ErrorRecord record = TakeErrorRecord();
  EXPECT_EQ(record.description, L"The event 5 is not available at server any more.");
  EXPECT_EQ(record.source, L"Corvane.Rendal");
}

TEST_F(ControlMembersTest, BaseMembersNameTheClassAndKeepOneCredentialsObject) {
  ComPtr<IDispatch> control = NewControl();
  EXPECT_EQ(V_BOOL(Get(*control.get(), L"ClassNameIs", Args(Text(L"tvevivudare"))).get()), VARIANT_TRUE);
  EXPECT_EQ(V_BOOL(Get(*control.get(), L"ClassNameIs", Args(Text(L"TNTPersistent"))).get()), VARIANT_FALSE);

  ComPtr<IDispatch> logonAs = AsObject(Get(*control.get(), L"LogonAs"));
  ASSERT_TRUE(logonAs);
  ASSERT_EQ(Put(*logonAs.get(), L"UserName", Text(L"operator")), S_OK);
  // A write changes nothing and succeeds.
  EXPECT_EQ(Invoke(*control.get(), L"LogonAs", DISPATCH_PROPERTYPUT, Args(Object(logonAs.get()))), S_OK);
  ComPtr<IDispatch> again = AsObject(Get(*control.get(), L"LogonAs"));
  EXPECT_TRUE(SameObject(logonAs.get(), again.get()));
  EXPECT_EQ(AsText(Get(*again.get(), L"UserName")), L"operator");
  EXPECT_EQ(Invoke(*control.get(), L"Placeholder", DISPATCH_METHOD, {}), S_OK);
}

TEST_F(ControlMembersTest, AddObjectWritesWhatTheWriteObjectHolds) {
  TestLog log("ctladdobj", {"CtlSource"});
  ComPtr<IDispatch> control = NewControl();
  Put(*control.get(), L"SourceName", Text(std::wstring(log.Name().begin(), log.Name().end())));
  Put(*control.get(), L"Active", Bool(true));
  ComPtr<IDispatch> event = AsObject(Get(*control.get(), L"WriteObject"));
  ASSERT_TRUE(event);
  EXPECT_TRUE(SameObject(event.get(), AsObject(Get(*control.get(), L"WriteObject")).get()));
  Put(*event.get(), L"EventId", Long(77));
  Put(*event.get(), L"EventType", Long(2));
  Put(*event.get(), L"EventCategory", Long(5));
  Invoke(*AsObject(Get(*event.get(), L"Strings")).get(), L"Add", DISPATCH_METHOD, Args(Text(L"alpha")));
  Invoke(*AsObject(Get(*event.get(), L"DataBytes")).get(), L"Add", DISPATCH_METHOD, Args(Long(9)));

  ASSERT_EQ(Invoke(*control.get(), L"AddObject", DISPATCH_METHOD, Args(Object(event.get()))), S_OK);
  ASSERT_EQ(AsLong(Get(*control.get(), L"Count")), 1);
  ComPtr<IDispatch> written = AsObject(Get(*control.get(), L"Objects", Args(Long(0))));
  EXPECT_EQ(AsLong(Get(*written.get(), L"EventId")), 77);
  EXPECT_EQ(AsLong(Get(*written.get(), L"EventType")), 2);
  EXPECT_EQ(AsLong(Get(*written.get(), L"EventCategory")), 5);
  EXPECT_EQ(AsText(Get(*AsObject(Get(*written.get(), L"Strings")).get(), L"Item", Args(Long(0)))), L"alpha");
  EXPECT_EQ(AsLong(Get(*AsObject(Get(*written.get(), L"DataBytes")).get(), L"Item", Args(Long(0)))), 9);
}

TEST_F(ControlMembersTest, TheWriteObjectCannotBeReplaced) {
  ComPtr<IDispatch> control = NewControl();
  ComPtr<IDispatch> event = AsObject(Get(*control.get(), L"WriteObject"));
  ASSERT_TRUE(event);
  EXPECT_EQ(Put(*control.get(), L"WriteObject", Object(NewControl().get())), DISP_E_MEMBERNOTFOUND);
  EXPECT_TRUE(SameObject(event.get(), AsObject(Get(*control.get(), L"WriteObject")).get()));
}

TEST_F(ControlMembersTest, ARecordHeldPastItsControlFailsClearly) {
  TestLog log("ctlheld", {"CtlSource"});
  ComPtr<IDispatch> control = NewControl();
  Put(*control.get(), L"SourceName", Text(std::wstring(log.Name().begin(), log.Name().end())));
  Put(*control.get(), L"Active", Bool(true));
  Invoke(*control.get(), L"Add", DISPATCH_METHOD, Args(Long(4), Text(L"kept")));
  ComPtr<IDispatch> record = AsObject(Get(*control.get(), L"Objects", Args(Long(0))));
  ASSERT_TRUE(record);
  control.reset();
  UniqueVariant id;
  EXPECT_TRUE(FAILED(Invoke(*record.get(), L"EventId", DISPATCH_PROPERTYGET, {}, &id)));
  EXPECT_EQ(TakeErrorRecord().description, L"The event object is not available any more.");
}

// An event object whose string list cannot be had: what AddObject reads before it is fine.
class BrokenEvent final : public ComObject<BrokenEvent, IEventItem> {
 public:
  int reads = 0;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) noexcept override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_TimeGenerated(DATE*) noexcept override { return E_UNEXPECTED; }
  HRESULT STDMETHODCALLTYPE get_TimeWritten(DATE*) noexcept override { return E_UNEXPECTED; }
  HRESULT STDMETHODCALLTYPE get_Strings(IStringList**) noexcept override {
    ++reads;
    return E_ACCESSDENIED;
  }
  HRESULT STDMETHODCALLTYPE get_Username(BSTR*) noexcept override { return E_UNEXPECTED; }
  HRESULT STDMETHODCALLTYPE get_SourceName(BSTR*) noexcept override { return E_UNEXPECTED; }
  HRESULT STDMETHODCALLTYPE get_ComputerName(BSTR*) noexcept override { return E_UNEXPECTED; }
  HRESULT STDMETHODCALLTYPE get_Number(LONG*) noexcept override { return E_UNEXPECTED; }
  HRESULT STDMETHODCALLTYPE get_DataBytes(IByteList**) noexcept override { return E_UNEXPECTED; }
  HRESULT STDMETHODCALLTYPE get_EventId(LONG* value) noexcept override { return ++reads, *value = 1, S_OK; }
  HRESULT STDMETHODCALLTYPE put_EventId(LONG) noexcept override { return E_UNEXPECTED; }
  HRESULT STDMETHODCALLTYPE get_EventType(::TEventType* value) noexcept override {
    return ++reads, *value = EVT_ERROR, S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_EventType(::TEventType) noexcept override { return E_UNEXPECTED; }
  HRESULT STDMETHODCALLTYPE get_EventCategory(LONG* value) noexcept override { return ++reads, *value = 0, S_OK; }
  HRESULT STDMETHODCALLTYPE put_EventCategory(LONG) noexcept override { return E_UNEXPECTED; }
};

TEST_F(ControlMembersTest, AddObjectStopsAtTheFirstFailingCallAndWritesNothing) {
  TestLog log("ctlbroken", {"CtlSource"});
  ComPtr<IDispatch> control = NewControl();
  Put(*control.get(), L"SourceName", Text(std::wstring(log.Name().begin(), log.Name().end())));
  Put(*control.get(), L"Active", Bool(true));
  ComPtr<BrokenEvent> broken = Make<BrokenEvent>();
  ComPtr<IVEVivudAreX> typed = control.query<IVEVivudAreX>();
  EXPECT_EQ(typed->AddObject(broken.get()), E_ACCESSDENIED);
  EXPECT_EQ(broken->reads, 4);  // identifier, type, category, then the strings that failed
  EXPECT_EQ(AsLong(Get(*control.get(), L"Count")), 0);
}

}  // namespace
}  // namespace corvane::control_test
