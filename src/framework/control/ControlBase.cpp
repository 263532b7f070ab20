#include "framework/control/ControlBase.h"

#include <cstdio>
#include <utility>
#include "framework/OleSysError.h"

namespace corvane {

void RaiseIfFailed(HRESULT hr, const char* operation) {
  if (SUCCEEDED(hr)) return;
  char code[16];
  std::snprintf(code, sizeof code, "%08lX", static_cast<unsigned long>(hr));
  throw EOleSysError(std::string(operation) + " failed (0x" + code + ")", static_cast<int32_t>(hr));
}

TControlBase::TControlBase(std::unique_ptr<IControlledComponent> component, REFIID eventsIid)
    : events_(eventsIid, 1, [this](IUnknown* sink) { EventSinkChanged(sink); }),
      propertyNotify_(IID_IPropertyNotifySink, 0),
      component_(std::move(component)) {
  component_->ParentTo(nullptr);
}

TControlBase::~TControlBase() {
  // Sinks and sites may call back while they are released: let them find a quiet control.
  events_.Clear();
  propertyNotify_.Clear();
  inPlaceSite_.reset();
  clientSite_.reset();
}

void TControlBase::EventSinkChanged(IUnknown*) {}

std::vector<CLSID> TControlBase::PropertyPages() { return {}; }

bool TControlBase::PredefinedStrings(DISPID, std::vector<TPredefinedString>&) { return false; }

bool TControlBase::PredefinedValue(DISPID, DWORD, UniqueVariant&) { return false; }

void TControlBase::Initialize() {}

bool TControlBase::WritesPropertyToBag(const TBagProperty&) { return true; }

void TControlBase::SetClientSite(IOleClientSite* site) {
  if (site == nullptr && InPlaceActive()) InPlaceDeactivate();
  clientSite_ = ComPtr<IOleClientSite>::Copy(site);
}

bool TControlBase::ReadAmbient(DISPID id, UniqueVariant& value) const {
  value.reset();
  ComPtr<IDispatch> ambient = clientSite_.try_query<IDispatch>();
  if (!ambient) return false;
  DISPPARAMS none{};
  const HRESULT hr = ambient->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                     &none, value.put(), nullptr, nullptr);
  if (FAILED(hr)) {
    value.reset();
    return false;
  }
  return true;
}

SIZEL TControlBase::Extent() const {
  int dpiX = 96;
  int dpiY = 96;
  if (HDC screen = GetDC(nullptr)) {
    dpiX = GetDeviceCaps(screen, LOGPIXELSX);
    dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
  }
  // HIMETRIC: hundredths of a millimetre, 2540 to the inch.
  return {MulDiv(component_->Width(), 2540, dpiX), MulDiv(component_->Height(), 2540, dpiY)};
}

IOleAdviseHolder& TControlBase::AdviseHolder() {
  if (!adviseHolder_) RaiseIfFailed(CreateOleAdviseHolder(adviseHolder_.put()), "CreateOleAdviseHolder");
  return *adviseHolder_.get();
}

void TControlBase::SetViewAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
  viewAspects_ = aspects;
  viewFlags_ = flags;
  viewSink_ = ComPtr<IAdviseSink>::Copy(sink);
}

void TControlBase::GetViewAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) const {
  if (aspects != nullptr) *aspects = viewAspects_;
  if (flags != nullptr) *flags = viewFlags_;
  if (sink != nullptr) viewSink_.copy_to(sink);
}

void TControlBase::FreezeEvents(bool freeze) {
  if (freeze) {
    ++freezeCount_;
  } else if (freezeCount_ > 0) {
    --freezeCount_;
  }
}

TConnectionList* TControlBase::FindConnections(REFIID iid) {
  if (iid == events_.Iid()) return &events_;
  if (iid == propertyNotify_.Iid()) return &propertyNotify_;
  return nullptr;
}

void TControlBase::PropertyChanged(DISPID id) {
  dirty_ = true;
  for (const ComPtr<IUnknown>& sink : propertyNotify_.Sinks()) {
    // A sink's failure concerns the sink alone.
    static_cast<IPropertyNotifySink*>(sink.get())->OnChanged(id);
  }
}

}  // namespace corvane
