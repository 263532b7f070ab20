// IViewObject2 of a control: the container draws the face through the component's Paint.
#pragma once
#include <windows.h>
#include <oleidl.h>
#include "framework/com/InterfaceList.h"
#include "framework/control/ControlMember.h"

namespace corvane {

template <class Derived>
class TViewObjectImpl : public TControlPiece<Derived, IViewObject2> {
 public:
  using AnsweredInterfaces = InterfaceList<IViewObject2, IViewObject>;

  HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds,
                                 LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) noexcept override {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (dc == nullptr || bounds == nullptr) return E_INVALIDARG;
    return Member([&] { Control().Component().Paint(dc, POINT{bounds->left, bounds->top}); });
  }
  HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** out) noexcept override {
    if (out != nullptr) *out = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD* cookie) noexcept override {
    if (cookie != nullptr) *cookie = 0;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) noexcept override {
    Control().SetViewAdvise(aspects, flags, sink);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) noexcept override {
    Control().GetViewAdvise(aspects, flags, sink);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL out) noexcept override {
    if (out == nullptr) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    *out = Control().Extent();
    return S_OK;
  }

 private:
  using TControlPiece<Derived, IViewObject2>::Self;
  using TControlPiece<Derived, IViewObject2>::Control;
  using TControlPiece<Derived, IViewObject2>::Member;
};

}  // namespace corvane
