// In-place activation of a control: IOleInPlaceObject, and IOleInPlaceActiveObject, which a
// control that takes no keyboard focus answers with "nothing to do".
#pragma once
#include <windows.h>
#include <oleidl.h>
#include "framework/com/InterfaceList.h"
#include "framework/control/ControlMember.h"

namespace corvane {

template <class Derived>
class TOleInPlaceObjectImpl : public TControlPiece<Derived, IOleInPlaceObject> {
 public:
  using AnsweredInterfaces = InterfaceList<IOleInPlaceObject, IOleWindow>;

  HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) noexcept override {
    if (out == nullptr) return E_POINTER;
    *out = Control().Window();
    return *out != nullptr ? S_OK : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InPlaceDeactivate() noexcept override {
    return Member([&] { Control().InPlaceDeactivate(); });
  }
  HRESULT STDMETHODCALLTYPE UIDeactivate() noexcept override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT) noexcept override {
    if (position == nullptr) return E_POINTER;
    return Member([&] { Control().SetObjectRects(*position); });
  }
  HRESULT STDMETHODCALLTYPE ReactivateAndUndo() noexcept override { return INPLACE_E_NOTUNDOABLE; }

 private:
  using TControlPiece<Derived, IOleInPlaceObject>::Self;
  using TControlPiece<Derived, IOleInPlaceObject>::Control;
  using TControlPiece<Derived, IOleInPlaceObject>::Member;
};

template <class Derived>
class TOleInPlaceActiveObjectImpl : public TControlPiece<Derived, IOleInPlaceActiveObject> {
 public:
  using AnsweredInterfaces = InterfaceList<IOleInPlaceActiveObject>;

  HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) noexcept override {
    if (out == nullptr) return E_POINTER;
    *out = Control().Window();
    return *out != nullptr ? S_OK : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG) noexcept override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) noexcept override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) noexcept override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) noexcept override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) noexcept override { return S_OK; }

 private:
  using TControlPiece<Derived, IOleInPlaceActiveObject>::Self;
  using TControlPiece<Derived, IOleInPlaceActiveObject>::Control;
};

}  // namespace corvane
