#include "automation/VEVivudAreX.h"

#include <utility>
#include "automation/CreateRendal.h"
#include "automation/LibraryIds.h"
#include "automation/VEVivudAreXAdapters.h"
#include "core/EventType.h"

namespace corvane {

namespace {
// The pages in the order the container shows them: credentials, the list of records, one record.
constexpr CLSID kLogonAsPage = {0xB7CD2C3F, 0x21D1, 0x4144, {0xBA, 0x7E, 0x7A, 0xCE, 0xAB, 0x92, 0xEC, 0x08}};
constexpr CLSID kEventListPage = {0x9AC3090C, 0x55B2, 0x40D0, {0x98, 0xE4, 0xB2, 0xAB, 0x96, 0x43, 0x76, 0x6C}};
constexpr CLSID kEventDetailPage = {0xC0261BBB, 0xB3E2, 0x4EAE, {0xA0, 0x20, 0x14, 0x10, 0xA0, 0x38, 0x62, 0xD5}};

constexpr DISPID kActiveDispid = 15;
constexpr DISPID kBackupFileNameDispid = 16;
constexpr DISPID kIncludeUserNameDispid = 17;

VARIANT_BOOL ToVariantBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

std::string VariantToAnsi(const VARIANT& value) {
  UniqueVariant text;
  const HRESULT hr = VariantChangeType(text.put(), const_cast<VARIANT*>(&value), 0, VT_BSTR);
  if (FAILED(hr)) throw EOleSysError("An insertion string cannot be read as text", static_cast<int32_t>(hr));
  return BstrToAnsi(V_BSTR(text.get()));
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
    Log().SetSourceName(BstrToAnsi(value));
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
    Log().SetBackupFileName(BstrToAnsi(value));
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
  return Member([&] { Log().Add(SystemToEventType(static_cast<uint32_t>(eventType)), BstrToAnsi(text)); });
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
  if (HRESULT hr = object.get_EventId(&eventId); FAILED(hr)) return hr;
  item.SetEventId(static_cast<uint32_t>(eventId));
  ::TEventType type{};
  if (HRESULT hr = object.get_EventType(&type); FAILED(hr)) return hr;
  item.SetEventType(SystemToEventType(static_cast<uint32_t>(type)));
  LONG category = 0;
  if (HRESULT hr = object.get_EventCategory(&category); FAILED(hr)) return hr;
  item.SetEventCategory(static_cast<uint16_t>(category & 0xFFFF));

  LONG count = 0;
  {
    ComPtr<IStringList> strings;
    if (HRESULT hr = object.get_Strings(strings.put()); FAILED(hr)) return hr;
    if (!strings) return E_POINTER;
    if (HRESULT hr = strings->get_Count(&count); FAILED(hr)) return hr;
  }
  for (LONG i = 0; i < count; ++i) {
    ComPtr<IStringList> strings;
    if (HRESULT hr = object.get_Strings(strings.put()); FAILED(hr)) return hr;
    if (!strings) return E_POINTER;
    UniqueVariant text;
    if (HRESULT hr = strings->get_Item(i, text.put()); FAILED(hr)) return hr;
    item.Strings().Add(VariantToAnsi(*text.get()));
  }

  {
    ComPtr<IByteList> bytes;
    if (HRESULT hr = object.get_DataBytes(bytes.put()); FAILED(hr)) return hr;
    if (!bytes) return E_POINTER;
    if (HRESULT hr = bytes->get_Count(&count); FAILED(hr)) return hr;
  }
  for (LONG i = 0; i < count; ++i) {
    ComPtr<IByteList> bytes;
    if (HRESULT hr = object.get_DataBytes(bytes.put()); FAILED(hr)) return hr;
    if (!bytes) return E_POINTER;
    unsigned char byte = 0;
    if (HRESULT hr = bytes->get_Item(i, &byte); FAILED(hr)) return hr;
    item.DataBytes().Add(byte);
  }
  return S_OK;
}

HRESULT TVEVivudAreX::AddObject(IEventItem* object) noexcept {
  return Member([&]() -> HRESULT {
    if (object == nullptr) throw EOleSysError("No event object given", static_cast<int32_t>(E_POINTER));
    // Lives for this call only; its owner is none, so it reads nothing from a log.
    TEventItem item(nullptr);
    if (HRESULT hr = ReadEvent(*object, item); FAILED(hr)) return hr;
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
}

std::vector<CLSID> TVEVivudAreX::PropertyPages() { return {kLogonAsPage, kEventListPage, kEventDetailPage}; }

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
