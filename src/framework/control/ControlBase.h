// The state every control shares and the hooks a control class replaces. A control is one COM
// object (TControl) wrapping one component: the control owns the component for its whole life,
// hands the component's face to its container, keeps the container's site and the connected
// sinks, and saves and restores the component's published properties.
//
// The hooks, in the order containers reach them: event-sink change, property pages, predefined
// strings, predefined value, reading a property from a bag, control initialization, writing a
// property into a bag. Destruction needs no hook: a derived class's destructor runs before the
// base destroys the component.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>
#include <memory>
#include <string>
#include <vector>
#include "framework/com/ComPtr.h"
#include "framework/com/UniqueVariant.h"
#include "framework/control/Connections.h"
#include "framework/control/ControlledComponent.h"

namespace corvane {

// One predefined value offered to a property browser: its text and the cookie that names it.
struct TPredefinedString {
  std::wstring Text;
  DWORD Cookie = 0;
};

// A read/write property of the control's dispatch interface.
struct TBagProperty {
  std::wstring Name;
  DISPID Id = DISPID_UNKNOWN;
};

class TControlBase {
 public:
  TControlBase(const TControlBase&) = delete;
  TControlBase& operator=(const TControlBase&) = delete;

  IControlledComponent& Component() const { return *component_; }

  // --- Hooks -------------------------------------------------------------------------------
  // The container connected `sink` (known to answer the event interface) or, with null,
  // disconnected it.
  virtual void EventSinkChanged(IUnknown* sink);
  // The class identifiers of the property pages, in the order the container shows them.
  virtual std::vector<CLSID> PropertyPages();
  // Fills `strings` and answers true when property `id` offers predefined values.
  virtual bool PredefinedStrings(DISPID id, std::vector<TPredefinedString>& strings);
  // The value behind `cookie` of property `id`; false when this control has none to give.
  virtual bool PredefinedValue(DISPID id, DWORD cookie, UniqueVariant& value);
  // Sets one property from `bag` through the control's own write member; an absent or
  // unreadable entry leaves the property as it is.
  virtual void ReadPropertyFromBag(IDispatch& self, IPropertyBag& bag, IErrorLog* log,
                                   const TBagProperty& property);
  // Runs once, right after the control and its component were made.
  virtual void Initialize();
  // Whether `property` goes into a property bag at all.
  virtual bool WritesPropertyToBag(const TBagProperty& property);

  // --- Container ---------------------------------------------------------------------------
  IOleClientSite* ClientSite() const { return clientSite_.get(); }
  void SetClientSite(IOleClientSite* site);
  // Reads the container's ambient property `id`; false with no site, a site without IDispatch,
  // or a failing read.
  bool ReadAmbient(DISPID id, UniqueVariant& value) const;

  bool InPlaceActive() const { return static_cast<bool>(inPlaceSite_); }
  // Shows the face in the container's window at the place the container gives.
  void InPlaceActivate();
  // Back into the parking window; the container is told.
  void InPlaceDeactivate();
  void SetObjectRects(const RECT& position);
  HWND Window() const { return component_->WindowHandle(); }

  // Asks the container to show the property pages, or shows them in a frame of our own.
  void ShowPropertyPages(IUnknown* self, HWND parent);

  // The face's size in HIMETRIC.
  SIZEL Extent() const;

  IOleAdviseHolder& AdviseHolder();
  void SetViewAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink);
  void GetViewAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) const;

  // Events are held back while the container freezes them.
  void FreezeEvents(bool freeze);
  bool EventsFrozen() const { return freezeCount_ > 0; }

  // --- Connections -------------------------------------------------------------------------
  TConnectionList& EventConnections() { return events_; }
  TConnectionList& PropertyNotifyConnections() { return propertyNotify_; }
  TConnectionList* FindConnections(REFIID iid);
  // Tells the property-change sinks that `id` changed; the saved state is now out of date.
  void PropertyChanged(DISPID id);

  // --- Persistence -------------------------------------------------------------------------
  bool Dirty() const { return dirty_; }
  void SetDirty(bool dirty) { dirty_ = dirty; }
  void LoadFromStream(IStream& stream);
  void SaveToStream(IStream& stream, bool clearDirty);
  ULONGLONG SavedSize();
  void LoadFromBag(IDispatch& self, IPropertyBag& bag, IErrorLog* log);
  void SaveToBag(IDispatch& self, IPropertyBag& bag, bool clearDirty);

 protected:
  // `component` is parked in this thread's hidden window (where a display allows one).
  TControlBase(std::unique_ptr<IControlledComponent> component, REFIID eventsIid);
  virtual ~TControlBase();

 private:
  ComPtr<IOleClientSite> clientSite_;
  ComPtr<IOleInPlaceSite> inPlaceSite_;
  ComPtr<IOleAdviseHolder> adviseHolder_;
  ComPtr<IAdviseSink> viewSink_;
  DWORD viewAspects_ = 0;
  DWORD viewFlags_ = 0;
  int freezeCount_ = 0;
  bool dirty_ = false;
  TConnectionList events_;
  TConnectionList propertyNotify_;
  // Last, so that it goes first: nothing above refers to it.
  std::unique_ptr<IControlledComponent> component_;
};

// Raises EOleSysError with `hr` when it is a failure.
void RaiseIfFailed(HRESULT hr, const char* operation);

}  // namespace corvane
