// The automation faces of event records (TEventItemAdapter, IEventItem) and of their data bytes
// (TByteListAdapter, IByteList), from the registered control library. Each is kept by what it
// wraps, one per record and one per byte list, and is told when that goes: a script that still
// holds one afterwards gets a clear error from every member instead of reaching a freed record.
#pragma once

#include <windows.h>

#include "Corvane.h"
#include "automation/NTpersistentXAdapters.h"
#include "core/EventItem.h"
#include "framework/AdapterSlot.h"

namespace corvane {

class TEventItemAdapter final
    : public ComObject<TEventItemAdapter, DispatchImpl<IEventItem>, ISupportErrorInfo>,
      public TLinkedWrapper<TEventItemAdapter, TEventItem>,
      private IStringListLender {
 public:
  static constexpr bool kCountsInModule = true;
  static constexpr const char* kWrappedGoneMessage = "The event object is not available any more.";

  explicit TEventItemAdapter(TEventItem& item);

  // Times in UTC, as the record holds them.
  HRESULT STDMETHODCALLTYPE get_TimeGenerated(DATE* Value) noexcept override;
  HRESULT STDMETHODCALLTYPE get_TimeWritten(DATE* Value) noexcept override;
  // A new list adapter on every call, over the record's own list.
  HRESULT STDMETHODCALLTYPE get_Strings(IStringList** Value) noexcept override;
  HRESULT STDMETHODCALLTYPE get_Username(BSTR* Value) noexcept override;
  HRESULT STDMETHODCALLTYPE get_SourceName(BSTR* Value) noexcept override;
  HRESULT STDMETHODCALLTYPE get_ComputerName(BSTR* Value) noexcept override;
  HRESULT STDMETHODCALLTYPE get_Number(LONG* Value) noexcept override;
  // The same adapter on every call.
  HRESULT STDMETHODCALLTYPE get_DataBytes(IByteList** Value) noexcept override;
  HRESULT STDMETHODCALLTYPE get_EventId(LONG* Value) noexcept override;
  HRESULT STDMETHODCALLTYPE put_EventId(LONG value) noexcept override;
  // The system's value (0, 1, 2, 4, 8, 16); any other value written is taken as success.
  HRESULT STDMETHODCALLTYPE get_EventType(::TEventType* Value) noexcept override;
  HRESULT STDMETHODCALLTYPE put_EventType(::TEventType value) noexcept override;
  // 16 bits wide: a write keeps the low 16 bits.
  HRESULT STDMETHODCALLTYPE get_EventCategory(LONG* Value) noexcept override;
  HRESULT STDMETHODCALLTYPE put_EventCategory(LONG value) noexcept override;

 private:
  TStringList& LentList() override;
  IUnknown* LenderIdentity() noexcept override { return Identity(); }
};

class TByteListAdapter final : public ComObject<TByteListAdapter, DispatchImpl<IByteList>, ISupportErrorInfo>,
                               public TLinkedWrapper<TByteListAdapter, TByteList>,
                               public ICollection {
 public:
  static constexpr bool kCountsInModule = true;
  static constexpr const char* kWrappedGoneMessage = "The event data is not available any more.";

  explicit TByteListAdapter(TByteList& bytes);

  HRESULT STDMETHODCALLTYPE get_Count(LONG* Value) noexcept override;
  // An index outside the data fails with "List index out of bounds (n)" and touches nothing.
  HRESULT STDMETHODCALLTYPE get_Item(LONG Index, unsigned char* Value) noexcept override;
  HRESULT STDMETHODCALLTYPE put_Item(LONG Index, unsigned char value) noexcept override;
  HRESULT STDMETHODCALLTYPE Clear() noexcept override;
  HRESULT STDMETHODCALLTYPE Add(unsigned char AValue) noexcept override;
  // For Each: the bytes as numbers, as they are now.
  HRESULT NewEnum(IEnumVARIANT** out) noexcept override;
};

// The record's adapter: made and kept by `item` on the first request, the same object afterwards.
ComPtr<IEventItem> EventItemAdapter(TEventItem& item);

}  // namespace corvane
