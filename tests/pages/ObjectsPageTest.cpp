#include "ObjectsPageTest.h"

#include "framework/com/UniqueBstr.h"
#include "framework/forms/Element.h"
#include "pages/LateBinding.h"

namespace corvane::pages::test {

namespace {

VARIANT ObjectArgument(IDispatch* object) {
  VARIANT argument;
  VariantInit(&argument);
  argument.vt = VT_DISPATCH;
  argument.pdispVal = object;
  return argument;
}

void PutInteger(IDispatch& object, const wchar_t* name, int32_t value) {
  CallByName(object, name, DISPATCH_PROPERTYPUT, {IntegerArgument(value)});
}

ComPtr<IDispatch> Member(IDispatch& object, const wchar_t* name) {
  return VariantToDispatch(*CallByName(object, name, DISPATCH_PROPERTYGET).get());
}

}  // namespace

TObjectsPageTest::TObjectsPageTest()
    : TControlPageTest(CreateEventDetailPage()),
      log_("objpage", {"ObjSource"}),
      previousDisplay_(forms::SetErrorDisplay(
          [this](const std::string& message) { errors_.push_back(message); })) {}

TObjectsPageTest::~TObjectsPageTest() { forms::SetErrorDisplay(previousDisplay_); }

void TObjectsPageTest::CreateOnLog() {
  CreateControl("");
  PutStringByName(*control_.get(), L"SourceName", log_.Name());
  SetActive(true);
}

void TObjectsPageTest::SetActive(bool active) {
  PutBooleanByName(*control_.get(), L"Active", active);
}

void TObjectsPageTest::WriteRecord(int32_t eventId, int32_t type, int32_t category,
                                   const std::vector<uint8_t>& data,
                                   const std::vector<std::wstring>& strings) {
  const ComPtr<IDispatch> event = Member(*control_.get(), L"WriteObject");
  PutInteger(*event.get(), L"EventId", eventId);
  PutInteger(*event.get(), L"EventType", type);
  PutInteger(*event.get(), L"EventCategory", category);
  const ComPtr<IDispatch> bytes = Member(*event.get(), L"DataBytes");
  CallByName(*bytes.get(), L"Clear", DISPATCH_METHOD);
  for (uint8_t byte : data) {
    CallByName(*bytes.get(), L"Add", DISPATCH_METHOD, {IntegerArgument(byte)});
  }
  const ComPtr<IDispatch> lines = Member(*event.get(), L"Strings");
  CallByName(*lines.get(), L"Clear", DISPATCH_METHOD);
  for (const std::wstring& line : strings) {
    const UniqueBstr text(SysAllocStringLen(line.data(), UINT(line.size())));
    VARIANT argument;
    VariantInit(&argument);
    argument.vt = VT_BSTR;
    argument.bstrVal = text.get();
    CallByName(*lines.get(), L"Add", DISPATCH_METHOD, {argument});
  }
  CallByName(*control_.get(), L"AddObject", DISPATCH_METHOD, {ObjectArgument(event.get())});
}

void TObjectsPageTest::TypeIndex(const char* text) {
  SetWindowTextA(Form().speIndex().Handle(), text);
}

}  // namespace corvane::pages::test
