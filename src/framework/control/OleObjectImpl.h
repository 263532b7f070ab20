// IOleObject of a control: the container's site, verbs, the fixed extent of the face and the
// container's advise sinks.
#pragma once
#include <windows.h>
#include <oleidl.h>
#include "framework/com/InterfaceList.h"
#include "framework/control/ControlMember.h"

namespace corvane {

template <class Derived>
class TOleObjectImpl : public TControlPiece<Derived, IOleObject> {
 public:
  using AnsweredInterfaces = InterfaceList<IOleObject>;

  HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) noexcept override {
    return Member([&] { Control().SetClientSite(site); });
  }
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** out) noexcept override {
    return Member([&] { ComPtr<IOleClientSite>::Copy(Control().ClientSite()).copy_to(out); }, out);
  }
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) noexcept override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Close(DWORD) noexcept override {
    return Member([&] { Control().InPlaceDeactivate(); });
  }
  HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** out) noexcept override {
    if (out != nullptr) *out = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject** out) noexcept override {
    if (out != nullptr) *out = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                                   LPCRECT) noexcept override {
    return Member([&]() -> HRESULT {
      auto& self = Control();
      if (site != nullptr && self.ClientSite() == nullptr) self.SetClientSite(site);
      switch (verb) {
        case OLEIVERB_PRIMARY:  // the one registered verb: "Properties"
        case OLEIVERB_PROPERTIES:
          self.ShowPropertyPages(Self().Identity(), parent);
          return S_OK;
        case OLEIVERB_SHOW:
        case OLEIVERB_INPLACEACTIVATE:
        case OLEIVERB_UIACTIVATE:
          self.InPlaceActivate();
          return S_OK;
        case OLEIVERB_HIDE:
          self.InPlaceDeactivate();
          return S_OK;
        case OLEIVERB_OPEN:
        case OLEIVERB_DISCARDUNDOSTATE:
          return E_NOTIMPL;
        default:
          return verb > 0 ? OLEOBJ_S_INVALIDVERB : E_NOTIMPL;
      }
    });
  }
  // The verbs are those registered for the class.
  HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** out) noexcept override {
    if (out == nullptr) return E_POINTER;
    return OleRegEnumVerbs(Derived::ClassId(), out);
  }
  HRESULT STDMETHODCALLTYPE Update() noexcept override { return S_OK; }
  HRESULT STDMETHODCALLTYPE IsUpToDate() noexcept override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* out) noexcept override {
    if (out == nullptr) return E_POINTER;
    *out = Derived::ClassId();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* out) noexcept override {
    if (out == nullptr) return E_POINTER;
    return OleRegGetUserType(Derived::ClassId(), form, out);
  }
  // The face has one size whatever the container asks.
  HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL*) noexcept override {
    return aspect == DVASPECT_CONTENT ? E_FAIL : DV_E_DVASPECT;
  }
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* out) noexcept override {
    if (out == nullptr) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    *out = Control().Extent();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* cookie) noexcept override {
    return Member([&] { return Control().AdviseHolder().Advise(sink, cookie); }, cookie);
  }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) noexcept override {
    return Member([&] { return Control().AdviseHolder().Unadvise(cookie); });
  }
  HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** out) noexcept override {
    return Member([&] { return Control().AdviseHolder().EnumAdvise(out); }, out);
  }
  HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* out) noexcept override {
    if (out == nullptr) return E_POINTER;
    *out = aspect == DVASPECT_CONTENT ? Derived::kMiscStatus : 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) noexcept override { return E_NOTIMPL; }


 private:
  using TControlPiece<Derived, IOleObject>::Self;
  using TControlPiece<Derived, IOleObject>::Control;
  using TControlPiece<Derived, IOleObject>::Member;
};

}  // namespace corvane
