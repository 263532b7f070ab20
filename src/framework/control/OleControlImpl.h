// IOleControl: the control has no mnemonics and reads ambient properties when it needs them,
// so only the freezing of events matters.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include "framework/com/InterfaceList.h"
#include "framework/control/ControlMember.h"

namespace corvane {

template <class Derived>
class TOleControlImpl : public TControlPiece<Derived, IOleControl> {
 public:
  using AnsweredInterfaces = InterfaceList<IOleControl>;

  HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) noexcept override {
    if (info == nullptr) return E_POINTER;
    if (info->cb < sizeof(CONTROLINFO)) return E_INVALIDARG;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnMnemonic(MSG*) noexcept override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID) noexcept override { return S_OK; }
  HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL freeze) noexcept override {
    Control().FreezeEvents(freeze != FALSE);
    return S_OK;
  }

 private:
  using TControlPiece<Derived, IOleControl>::Self;
  using TControlPiece<Derived, IOleControl>::Control;
};

}  // namespace corvane
