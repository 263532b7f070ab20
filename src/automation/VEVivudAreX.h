// TVEVivudAreX, the COM class Rendal: the event-log control. It wraps a TVEVivudAre and adds
// the members of IVEVivudAreX to those of the control base, turns the component's change
// notification into OnChange on the connected sink, offers the registered event sources as
// predefined values of SourceName, and names the control's property pages.
#pragma once
#include <windows.h>
#include <memory>
#include "Corvane.h"
#include "automation/LibraryIds.h"
#include "automation/NTpersistentX.h"
#include "core/EventLog.h"
#include "framework/control/Control.h"

namespace corvane {

constexpr DISPID kSourceNameDispid = 14;
constexpr DISPID kOnChangeDispid = 2;

class TVEVivudAreX final : public TControl<TVEVivudAreX, TNTPersistentXDispatch<TVEVivudAreX, IVEVivudAreX>>,
                           public TNTPersistentX {
 public:
  static constexpr bool kCountsInModule = true;
  static constexpr const wchar_t* kErrorSource = L"Corvane.Rendal";
  // Invisible at run time, with the framework's recompose on resize, cannot link inside,
  // inside-out, activate when visible and set client site first.
  static constexpr DWORD kMiscStatus = 0x20591;
  static const CLSID& ClassId();
  static const GUID& LibraryId();
  static constexpr LCID kLibraryLocale = kCorvaneLocale;
  static const IID& EventsIid();

  // Needs the control library registered: its dispatch answers from it.
  TVEVivudAreX();
  ~TVEVivudAreX() override;

  TVEVivudAre& Log() const { return static_cast<TVEVivudAre&>(Component()); }

  // --- IVEVivudAreX ------------------------------------------------------------------------
  HRESULT STDMETHODCALLTYPE get_SourceName(BSTR* value) noexcept override;
  // Only stored: an open log stays on the source it was opened with.
  HRESULT STDMETHODCALLTYPE put_SourceName(BSTR value) noexcept override;
  HRESULT STDMETHODCALLTYPE get_Active(VARIANT_BOOL* value) noexcept override;
  HRESULT STDMETHODCALLTYPE put_Active(VARIANT_BOOL value) noexcept override;
  HRESULT STDMETHODCALLTYPE get_BackupFileName(BSTR* value) noexcept override;
  HRESULT STDMETHODCALLTYPE put_BackupFileName(BSTR value) noexcept override;
  HRESULT STDMETHODCALLTYPE get_IncludeUserName(VARIANT_BOOL* value) noexcept override;
  HRESULT STDMETHODCALLTYPE put_IncludeUserName(VARIANT_BOOL value) noexcept override;
  HRESULT STDMETHODCALLTYPE Clear() noexcept override;
  HRESULT STDMETHODCALLTYPE Add(::TEventType eventType, BSTR text) noexcept override;
  HRESULT STDMETHODCALLTYPE BackupEventLog() noexcept override;
  HRESULT STDMETHODCALLTYPE get_Handle(LONG* value) noexcept override;
  HRESULT STDMETHODCALLTYPE get_Items(LONG index, BSTR* value) noexcept override;
  // The record's adapter, kept on the record: the same object while the record is cached.
  HRESULT STDMETHODCALLTYPE get_Objects(LONG index, IEventItem** value) noexcept override;
  HRESULT STDMETHODCALLTYPE GetEventSources(IStringList** value) noexcept override;
  // The same object for the life of the control.
  HRESULT STDMETHODCALLTYPE get_WriteObject(IEventItem** value) noexcept override;
  // Reads `object` through IEventItem's function table only; its first failing call stops the
  // member with that call's result, and nothing is written.
  HRESULT STDMETHODCALLTYPE AddObject(IEventItem* object) noexcept override;
  HRESULT STDMETHODCALLTYPE Count(LONG* value) noexcept override;

  // --- Hooks -------------------------------------------------------------------------------
  void EventSinkChanged(IUnknown* sink) override;
  std::vector<CLSID> PropertyPages() override;
  bool PredefinedStrings(DISPID id, std::vector<TPredefinedString>& strings) override;
  bool PredefinedValue(DISPID id, DWORD cookie, UniqueVariant& value) override;
  void ReadPropertyFromBag(IDispatch& self, IPropertyBag& bag, IErrorLog* log,
                           const TBagProperty& property) override;
  void Initialize() override;

 private:
  using TNTPersistentXDispatch<TVEVivudAreX, IVEVivudAreX>::Member;

  // The component's change, on the control's thread: OnChange on the sink, whose failure is
  // its own affair.
  void EventLogChanged(TPersistent* sender);
  // Copies the event `object` describes into `item`; the first failing call's result, or S_OK.
  static HRESULT ReadEvent(IEventItem& object, TEventItem& item);

  std::unique_ptr<TStringList> FSourceList;
  ComPtr<IDispatch> FLogEvents;
};

}  // namespace corvane
