#include "automation/VEVivudAreX.h"

#include <utility>
#include "automation/CreateRendal.h"
#include "automation/LibraryIds.h"
#include "automation/PageClassIds.h"
#include "automation/VEVivudAreXAdapters.h"
#include "core/EventType.h"

namespace corvane {

namespace {
constexpr DISPID kActiveDispid = 15;
constexpr DISPID kBackupFileNameDispid = 16;
constexpr DISPID kIncludeUserNameDispid = 17;

VARIANT_BOOL ToVariantBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

// How a refused write ends its message, as the component's own refusals end.
constexpr char kNothingWritten[] = "Nothing was written.";

std::string VariantToAnsi(const VARIANT& value, LONG index) {
  UniqueVariant text;
  const HRESULT hr = VariantChangeType(text.put(), const_cast<VARIANT*>(&value), 0, VT_BSTR);
  if (FAILED(hr)) throw EOleSysError("An insertion string cannot be read as text", static_cast<int32_t>(hr));
  return BstrToAnsi(V_BSTR(text.get()), "The insertion string at index " + std::to_string(index) + " of AddObject",
                    kNothingWritten);
}
}  // namespace

const CLSID& TVEVivudAreX::ClassId() { return __uuidof(Rendal); }
const GUID& TVEVivudAreX::LibraryId() { return kCorvaneLibid; }
const IID& TVEVivudAreX::EventsIid() { return __uuidof(IVEVivudAreXEvents); }

TVEVivudAreX::TVEVivudAreX() : TNTPersistentX(std::make_unique<TVEVivudAre>(nullptr), EventsIid()) {
  UseRegisteredTypeInfo(kCorvaneLibid, kCorvaneLocale);
}

TVEVivudAreX::~TVEVivudAreX() {
  FSourceList.reset();
  // The component outlives this class's part of the object: nothing may call back into it.
  Log().SetOnChange({});
}

HRESULT TVEVivudAreX::get_SourceName(BSTR* value) noexcept {
  return Member([&] { *value = AnsiToBstr(Log().SourceName()).release(); }, value);
}

HRESULT TVEVivudAreX::put_SourceName(BSTR value) noexcept {
  return Member([&] {
    Log().SetSourceName(BstrToAnsi(value, "SourceName"));
    PropertyChanged(kSourceNameDispid);
  });
}

HRESULT TVEVivudAreX::get_Active(VARIANT_BOOL* value) noexcept {
  return Member([&] { *value = ToVariantBool(Log().Active()); }, value);
}

HRESULT TVEVivudAreX::put_Active(VARIANT_BOOL value) noexcept {
  return Member([&] {
    Log().SetActive(value != VARIANT_FALSE);
    PropertyChanged(kActiveDispid);
  });
}

HRESULT TVEVivudAreX::get_BackupFileName(BSTR* value) noexcept {
  return Member([&] { *value = AnsiToBstr(Log().BackupFileName()).release(); }, value);
}

HRESULT TVEVivudAreX::put_BackupFileName(BSTR value) noexcept {
  return Member([&] {
    Log().SetBackupFileName(BstrToAnsi(value, "BackupFileName"));
    PropertyChanged(kBackupFileNameDispid);
  });
}

HRESULT TVEVivudAreX::get_IncludeUserName(VARIANT_BOOL* value) noexcept {
  return Member([&] { *value = ToVariantBool(Log().IncludeUserName()); }, value);
}

HRESULT TVEVivudAreX::put_IncludeUserName(VARIANT_BOOL value) noexcept {
  return Member([&] {
    Log().SetIncludeUserName(value != VARIANT_FALSE);
    PropertyChanged(kIncludeUserNameDispid);
  });
}

HRESULT TVEVivudAreX::Clear() noexcept {
  return Member([&] { Log().Clear(); });
}

HRESULT TVEVivudAreX::Add(::TEventType eventType, BSTR text) noexcept {
  return Member([&] {
    Log().Add(SystemToEventType(static_cast<uint32_t>(eventType)), BstrToAnsi(text, "The text of Add", kNothingWritten));
  });
}

HRESULT TVEVivudAreX::BackupEventLog() noexcept {
  return Member([&] { Log().BackupEventLog(); });
}

HRESULT TVEVivudAreX::get_Handle(LONG* value) noexcept {
  return Member([&] { *value = static_cast<LONG>(reinterpret_cast<intptr_t>(Log().Handle())); }, value);
}

HRESULT TVEVivudAreX::get_Items(LONG index, BSTR* value) noexcept {
  return Member([&] { *value = AnsiToBstr(Log().Items(index)).release(); }, value);
}

HRESULT TVEVivudAreX::get_Objects(LONG index, IEventItem** value) noexcept {
  return Member([&] { EventItemAdapter(Log().Objects(index)).copy_to(value); }, value);
}

HRESULT TVEVivudAreX::GetEventSources(IStringList** value) noexcept {
  return Member([&] { StringListAdapter(corvane::GetEventSources()).copy_to(value); }, value);
}

HRESULT TVEVivudAreX::get_WriteObject(IEventItem** value) noexcept {
  return Member([&] { EventItemAdapter(Log().WriteObject()).copy_to(value); }, value);
}

HRESULT TVEVivudAreX::ReadEvent(IEventItem& object, TEventItem& item) {
  LONG eventId = 0;
  CORVANE_RETURN_IF_FAILED(object.get_EventId(&eventId));
  item.SetEventId(static_cast<uint32_t>(eventId));
  ::TEventType type{};
  CORVANE_RETURN_IF_FAILED(object.get_EventType(&type));
  item.SetEventType(SystemToEventType(static_cast<uint32_t>(type)));
  LONG category = 0;
  CORVANE_RETURN_IF_FAILED(object.get_EventCategory(&category));
  item.SetEventCategory(static_cast<uint16_t>(category & 0xFFFF));

  LONG count = 0;
  {
    ComPtr<IStringList> strings;
    CORVANE_RETURN_IF_FAILED(object.get_Strings(strings.put()));
    if (!strings) return E_POINTER;
    CORVANE_RETURN_IF_FAILED(strings->get_Count(&count));
  }
  for (LONG i = 0; i < count; ++i) {
    ComPtr<IStringList> strings;
    CORVANE_RETURN_IF_FAILED(object.get_Strings(strings.put()));
    if (!strings) return E_POINTER;
    UniqueVariant text;
    CORVANE_RETURN_IF_FAILED(strings->get_Item(i, text.put()));
    item.Strings().Add(VariantToAnsi(*text.get(), i));
  }

  {
    ComPtr<IByteList> bytes;
    CORVANE_RETURN_IF_FAILED(object.get_DataBytes(bytes.put()));
    if (!bytes) return E_POINTER;
    CORVANE_RETURN_IF_FAILED(bytes->get_Count(&count));
  }
  for (LONG i = 0; i < count; ++i) {
    ComPtr<IByteList> bytes;
    CORVANE_RETURN_IF_FAILED(object.get_DataBytes(bytes.put()));
    if (!bytes) return E_POINTER;
    unsigned char byte = 0;
    CORVANE_RETURN_IF_FAILED(bytes->get_Item(i, &byte));
    item.DataBytes().Add(byte);
  }
  return S_OK;
}

HRESULT TVEVivudAreX::AddObject(IEventItem* object) noexcept {
  return Member([&]() -> HRESULT {
    if (object == nullptr) throw EOleSysError("No event object given", static_cast<int32_t>(E_POINTER));
    // Lives for this call only; its owner is none, so it reads nothing from a log.
    TEventItem item(nullptr);
    CORVANE_RETURN_IF_FAILED(ReadEvent(*object, item));
    Log().AddObject(item);
    return S_OK;
  });
}

HRESULT TVEVivudAreX::Count(LONG* value) noexcept {
  return Member([&] { *value = Log().Count(); }, value);
}

void TVEVivudAreX::EventSinkChanged(IUnknown* sink) {
  FLogEvents.reset();
  if (sink != nullptr) sink->QueryInterface(__uuidof(IVEVivudAreXEvents), FLogEvents.put_void());
  // A control that a script host creates is never read from saved state, which is what starts
  // the watcher otherwise: without this its listener would never hear a change.
  if (FLogEvents) Log().StartWatching();
}

std::vector<CLSID> TVEVivudAreX::PropertyPages() { return {kLogonAsPageClsid, kEventListPageClsid, kEventDetailPageClsid}; }

bool TVEVivudAreX::PredefinedStrings(DISPID id, std::vector<TPredefinedString>& strings) {
  if (id != kSourceNameDispid) return TNTPersistentX::PredefinedStrings(id, strings);
  FSourceList.reset();
  FSourceList = corvane::GetEventSources();
  OfferStrings(*FSourceList, strings);
  return true;
}

bool TVEVivudAreX::PredefinedValue(DISPID id, DWORD cookie, UniqueVariant& value) {
  if (id != kSourceNameDispid || !FSourceList) return TNTPersistentX::PredefinedValue(id, cookie, value);
  ValueAt(*FSourceList, cookie, value);
  return true;
}

void TVEVivudAreX::ReadPropertyFromBag(IDispatch& self, IPropertyBag& bag, IErrorLog* log,
                                       const TBagProperty& property) {
  // Active opens the log at once, and the bag lists it before the backup file it may name:
  // that name must be in place first, or the live log would open instead of the backup.
  if (property.Id == kActiveDispid) {
    TNTPersistentX::ReadPropertyFromBag(self, bag, log, {L"BackupFileName", kBackupFileNameDispid});
  }
  TNTPersistentX::ReadPropertyFromBag(self, bag, log, property);
}

void TVEVivudAreX::Initialize() {
  TNTPersistentX::Initialize();
  Log().SetOnChange([this](TPersistent* sender) { EventLogChanged(sender); });
}

void TVEVivudAreX::EventLogChanged(TPersistent*) {
  if (!FLogEvents || EventsFrozen()) return;
  // The sink may disconnect itself while it is called.
  ComPtr<IDispatch> sink = ComPtr<IDispatch>::Copy(FLogEvents.get());
  DISPPARAMS none{};
  sink->Invoke(kOnChangeDispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr);
}

HRESULT CreateRendal(IUnknown* outer, REFIID iid, void** out) noexcept {
  return CreateControl<TVEVivudAreX>(outer, iid, out);
}

}  // namespace corvane
