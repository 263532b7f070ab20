#include "automation/LibraryIds.h"
#include "automation/VEVivudAreXAdapters.h"
#include "core/EventType.h"
#include "framework/com/AnsiConversion.h"

namespace corvane {

TEventItemAdapter::TEventItemAdapter(TEventItem& item) {
  UseRegisteredTypeInfo(kCorvaneLibid, kCorvaneLocale);
  SetWrapped(item);
}

TStringList& TEventItemAdapter::LentList() { return Target().Strings(); }

HRESULT TEventItemAdapter::get_TimeGenerated(DATE* Value) noexcept {
  return Boundary<IEventItem>([&] { *Value = Target().TimeGenerated(); }, Value);
}

HRESULT TEventItemAdapter::get_TimeWritten(DATE* Value) noexcept {
  return Boundary<IEventItem>([&] { *Value = Target().TimeWritten(); }, Value);
}

HRESULT TEventItemAdapter::get_Strings(IStringList** Value) noexcept {
  return Boundary<IEventItem>(
      [&] {
        Target();  // a gone record makes no list adapter
        Make<TStringListAdapter>(static_cast<IStringListLender&>(*this)).query<IStringList>().copy_to(Value);
      },
      Value);
}

HRESULT TEventItemAdapter::get_Username(BSTR* Value) noexcept {
  return Boundary<IEventItem>([&] { *Value = AnsiToBstr(Target().Username()).release(); }, Value);
}

HRESULT TEventItemAdapter::get_SourceName(BSTR* Value) noexcept {
  return Boundary<IEventItem>([&] { *Value = AnsiToBstr(Target().SourceName()).release(); }, Value);
}

HRESULT TEventItemAdapter::get_ComputerName(BSTR* Value) noexcept {
  return Boundary<IEventItem>([&] { *Value = AnsiToBstr(Target().ComputerName()).release(); }, Value);
}

HRESULT TEventItemAdapter::get_Number(LONG* Value) noexcept {
  return Boundary<IEventItem>([&] { *Value = Target().Number(); }, Value);
}

HRESULT TEventItemAdapter::get_DataBytes(IByteList** Value) noexcept {
  return Boundary<IEventItem>(
      [&] {
        TByteList& bytes = Target().DataBytes();
        KeptAdapter<TByteListAdapter>(bytes.Adapter(), bytes).query<IByteList>().copy_to(Value);
      },
      Value);
}

HRESULT TEventItemAdapter::get_EventId(LONG* Value) noexcept {
  return Boundary<IEventItem>([&] { *Value = static_cast<LONG>(Target().EventId()); }, Value);
}

HRESULT TEventItemAdapter::put_EventId(LONG value) noexcept {
  return Boundary<IEventItem>([&] { Target().SetEventId(static_cast<uint32_t>(value)); });
}

HRESULT TEventItemAdapter::get_EventType(::TEventType* Value) noexcept {
  return Boundary<IEventItem>(
      [&] { *Value = static_cast<::TEventType>(EventTypeToSystem(Target().EventType())); }, Value);
}

HRESULT TEventItemAdapter::put_EventType(::TEventType value) noexcept {
  return Boundary<IEventItem>([&] { Target().SetEventType(SystemToEventType(static_cast<uint32_t>(value))); });
}

HRESULT TEventItemAdapter::get_EventCategory(LONG* Value) noexcept {
  return Boundary<IEventItem>([&] { *Value = Target().EventCategory(); }, Value);
}

HRESULT TEventItemAdapter::put_EventCategory(LONG value) noexcept {
  return Boundary<IEventItem>([&] { Target().SetEventCategory(static_cast<uint16_t>(value & 0xFFFF)); });
}

ComPtr<IEventItem> EventItemAdapter(TEventItem& item) {
  return KeptAdapter<TEventItemAdapter>(item.Adapter(), item).query<IEventItem>();
}

}  // namespace corvane
