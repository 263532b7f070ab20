#include "pages/FrEventLogPropObjects.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <type_traits>

#include "framework/OleSysError.h"
#include "framework/forms/Element.h"
#include "pages/LateBinding.h"

namespace corvane::pages {

namespace {

using forms::TColour;

const TColour kButtonFace = TColour::System(COLOR_BTNFACE);

TFrmEventLogPropObjects& PageOf(forms::TForm& form) {
  return static_cast<TFrmEventLogPropObjects&>(form);
}

// A fixed-pitch face keeps the dump's columns aligned.
const forms::TFontDesign kDumpFont = {
    .face = "Arial", .height = -11, .charSet = ANSI_CHARSET, .fixedPitch = true};

forms::TFormDesign ObjectsDesign() {
  using forms::TElementKind;
  forms::TFormDesign design = TFrEventLogSourceProperty::SourceDesign("Objects", 6107, 1);
  auto label = [](const char* name, const char* caption, forms::TBounds bounds) {
    return forms::TElementDesign{.kind = TElementKind::Label, .name = name, .caption = caption,
                                 .bounds = bounds, .parent = "grbItems"};
  };
  auto field = [](const char* name, forms::TBounds bounds, int tabOrder) {
    return forms::TElementDesign{.kind = TElementKind::Edit, .name = name, .bounds = bounds,
                                 .tabOrder = tabOrder, .parent = "grbItems", .readOnly = true,
                                 .colour = kButtonFace};
  };
  design.elements.insert(
      design.elements.end(),
      {
          {.kind = TElementKind::Label, .name = "lblIndex", .caption = "Index",
           .bounds = {4, 42, 26, 13}},
          {.kind = TElementKind::SpinBox, .name = "speIndex", .caption = "0",
           .bounds = {80, 38, 109, 22}, .tabOrder = 3, .minimum = 0, .maximum = 2000000000,
           .step = 1,
           .onChange = [](forms::TElement& sender) { PageOf(sender.Form()).speIndexChange(); }},
          {.kind = TElementKind::GroupBox, .name = "grbItems", .caption = "Objects(0)",
           .bounds = {1, 62, 408, 165}, .tabOrder = 4},
          label("lblTimeGenerated", "TimeGenerated", {4, 20, 73, 13}),
          label("lblTimeWritten", "TimeWritten", {4, 44, 57, 13}),
          label("lblEventID", "EventID", {4, 68, 39, 13}),
          label("lblEventType", "EventType", {4, 92, 52, 13}),
          label("lblUserName", "UserName", {4, 116, 50, 13}),
          label("Label6", "EventCategory", {4, 140, 70, 13}),
          label("lblSourceName", "SourceName", {200, 20, 62, 13}),
          label("lblComputerName", "ComputerName", {200, 43, 73, 13}),
          label("lblDataLength", "DataLength", {200, 67, 56, 13}),
          label("lblDataBytes", "DataBytes", {200, 92, 49, 13}),
          label("lblStrings", "Strings", {200, 128, 32, 13}),
          field("edtTimeGenerated", {80, 16, 109, 21}, 0),
          field("edtTimeWritten", {80, 40, 109, 21}, 1),
          field("edtEventID", {80, 64, 109, 21}, 2),
          field("edtEventType", {80, 88, 109, 21}, 3),
          field("edtUserName", {80, 112, 109, 21}, 4),
          field("edtEventCategory", {80, 136, 109, 21}, 5),
          field("edtSourceName", {282, 16, 122, 21}, 6),
          field("edtComputerName", {282, 40, 122, 21}, 7),
          field("edtDataLength", {282, 64, 122, 21}, 8),
          {.kind = TElementKind::Memo, .name = "memDataBytes", .bounds = {252, 88, 152, 37},
           .tabOrder = 9, .parent = "grbItems", .readOnly = true, .colour = kButtonFace,
           .textColour = TColour::System(COLOR_WINDOWTEXT), .font = &kDumpFont},
          {.kind = TElementKind::Memo, .name = "memStrings", .bounds = {252, 127, 152, 33},
           .tabOrder = 10, .parent = "grbItems", .readOnly = true, .colour = kButtonFace},
      });
  return design;
}

UniqueVariant Get(IDispatch& object, const wchar_t* name) {
  return CallByName(object, name, DISPATCH_PROPERTYGET);
}

// Each read of a collection member asks the event for the collection again.
int32_t CountOf(IDispatch& event, const wchar_t* collection) {
  const ComPtr<IDispatch> members = VariantToDispatch(*Get(event, collection).get());
  return VariantToInteger(*Get(*members.get(), L"Count").get());
}

UniqueVariant MemberItem(IDispatch& event, const wchar_t* collection, int32_t index) {
  return ItemOf(*VariantToDispatch(*Get(event, collection).get()).get(), index);
}

using TLocaleFormat = decltype(&GetDateFormatA);
static_assert(std::is_same_v<TLocaleFormat, decltype(&GetTimeFormatA)>);

std::string LocaleText(TLocaleFormat format, DWORD flags, const SYSTEMTIME& time) {
  const int size = format(LOCALE_USER_DEFAULT, flags, &time, nullptr, nullptr, 0);
  std::string text(size_t(size > 0 ? size : 1), '\0');
  if (size <= 0 || format(LOCALE_USER_DEFAULT, flags, &time, nullptr, text.data(), size) <= 0) {
    throw EOleSysError("The date-time value cannot be formatted", kSystemErrorCode);
  }
  text.resize(size_t(size - 1));
  return text;
}

// The user's short date, and the long time unless the moment is exactly midnight.
std::string DateTimeText(DATE value) {
  SYSTEMTIME time{};
  if (!VariantTimeToSystemTime(value, &time)) {
    throw EOleSysError("The date-time value " + std::to_string(value) + " is out of range",
                       int32_t(E_INVALIDARG));
  }
  std::string text = LocaleText(&GetDateFormatA, DATE_SHORTDATE, time);
  if (time.wHour != 0 || time.wMinute != 0 || time.wSecond != 0 || time.wMilliseconds != 0) {
    text += " " + LocaleText(&GetTimeFormatA, 0, time);
  }
  return text;
}

// The identifier and the category show their low 16 bits, unsigned.
std::string LowWordText(const VARIANT& value) {
  return std::to_string(uint32_t(VariantToInteger(value)) & 0xFFFFu);
}

std::string EventTypeText(int32_t type) {
  switch (type) {
    case 0: return "EVT_SUCCESS";
    case 1: return "EVT_ERROR";
    case 2: return "EVT_WARNING";
    case 4: return "EVT_INFORMATION";
    case 8: return "EVT_AUDIT_SUCCESS";
    case 16: return "EVT_AUDIT_FAILURE";
    default: return std::to_string(type);  // no such type: the number shows what was there
  }
}

void ShowFirstLine(forms::TElement& memo) {
  SendMessageA(memo.Handle(), EM_SETSEL, 0, 0);
  SendMessageA(memo.Handle(), EM_SCROLLCARET, 0, 0);
}

}  // namespace

TFrmEventLogPropObjects::TFrmEventLogPropObjects() : TFrEventLogSourceProperty(ObjectsDesign()) {}

void TFrmEventLogPropObjects::ReadValues() {
  TFrEventLogSourceProperty::ReadValues();
  ReadRecordCount();
  ReadSourceAndActive();
  const bool active = cbxActive().Checked();
  speIndex().SetColour(active ? TColour::Rgb(255, 255, 255) : kButtonFace);
  speIndex().SetReadOnly(!active);
  speIndexChange();
}

void TFrmEventLogPropObjects::speIndexChange() {
  IDispatch* edited = EditedObject();
  if (edited == nullptr || FRecordCount < 1 || speIndex().Text().empty()) {
    ClearRecord();
    return;
  }
  int32_t index = speIndex().Value();
  // The log may have shrunk since the load: the count is asked afresh.
  const int32_t count = VariantToInteger(*Get(*edited, L"Count").get());
  if (index >= count) {
    // A changed text shows the corrected record at once, through this handler.
    speIndex().SetValue(count - 1);
    index = speIndex().Value();
  }
  char caption[32];
  std::snprintf(caption, sizeof(caption), "Objects(%d)", int(index));
  grbItems().SetText(caption);
  const ComPtr<IDispatch> event =
      VariantToDispatch(*CallByName(*edited, L"Objects", DISPATCH_PROPERTYGET | DISPATCH_METHOD,
                                    {IntegerArgument(index)})
                             .get());
  ShowRecord(*event.get());
}

void TFrmEventLogPropObjects::ShowRecord(IDispatch& event) {
  // Field by field, in the order shown: a failing read leaves the fields after it as they were.
  edtTimeGenerated().SetText(DateTimeText(VariantToDate(*Get(event, L"TimeGenerated").get())));
  edtTimeWritten().SetText(DateTimeText(VariantToDate(*Get(event, L"TimeWritten").get())));
  edtEventID().SetText(LowWordText(*Get(event, L"EventId").get()));
  edtUserName().SetText(VariantToString(*Get(event, L"Username").get()));
  edtEventCategory().SetText(LowWordText(*Get(event, L"EventCategory").get()));
  edtEventType().SetText(EventTypeText(VariantToInteger(*Get(event, L"EventType").get())));
  edtSourceName().SetText(VariantToString(*Get(event, L"SourceName").get()));
  edtComputerName().SetText(VariantToString(*Get(event, L"ComputerName").get()));
  edtDataLength().SetText(std::to_string(CountOf(event, L"DataBytes")));

  // Eight bytes a line, every byte followed by a space, and always a final line break.
  memDataBytes().SetText("");
  std::string dump;
  const int32_t length = CountOf(event, L"DataBytes");
  for (int32_t i = 0; i < length; ++i) {
    if (i > 0 && i % 8 == 0) dump += "\r\n";
    char byte[4];
    std::snprintf(byte, sizeof(byte), "%02X ",
                  unsigned(VariantToInteger(*MemberItem(event, L"DataBytes", i).get())) & 0xFFu);
    dump += byte;
  }
  memDataBytes().SetText(dump + "\r\n");

  memStrings().SetText("");
  std::string strings;
  const int32_t lines = CountOf(event, L"Strings");
  for (int32_t i = 0; i < lines; ++i) {
    if (i > 0) strings += "\r\n";
    strings += VariantToString(*MemberItem(event, L"Strings", i).get());
  }
  memStrings().SetText(strings);

  ShowFirstLine(memStrings());
  ShowFirstLine(memDataBytes());
}

void TFrmEventLogPropObjects::ClearRecord() {
  grbItems().SetText("Objects");
  for (forms::TElement* field :
       {&edtTimeGenerated(), &edtTimeWritten(), &edtEventID(), &edtEventType(), &edtUserName(),
        &edtEventCategory(), &edtSourceName(), &edtComputerName(), &edtDataLength(),
        &memDataBytes(), &memStrings()}) {
    field->SetText("");
  }
}

std::unique_ptr<TExtPropertyPage> CreateEventDetailPage() {
  return std::make_unique<TFrmEventLogPropObjects>();
}

const TPageClass kEventDetailPage = {kEventDetailPageClsid, "TFrmEventLogPropObjects",
                                     &CreateEventDetailPage};

}  // namespace corvane::pages
