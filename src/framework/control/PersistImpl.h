// Saved state of a control: IPersistStreamInit over the component's stream format, and
// IPersistPropertyBag over the control's read/write properties by name.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include "framework/com/InterfaceList.h"
#include "framework/control/ControlMember.h"

namespace corvane {

template <class Derived>
class TPersistStreamInitImpl : public TControlPiece<Derived, IPersistStreamInit> {
 public:
  using AnsweredInterfaces = InterfaceList<IPersistStreamInit, IPersist>;

  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* out) noexcept override {
    if (out == nullptr) return E_POINTER;
    *out = Derived::ClassId();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE IsDirty() noexcept override { return Control().Dirty() ? S_OK : S_FALSE; }
  HRESULT STDMETHODCALLTYPE Load(IStream* stream) noexcept override {
    if (stream == nullptr) return E_POINTER;
    return Member([&] { Control().LoadFromStream(*stream); });
  }
  HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) noexcept override {
    if (stream == nullptr) return E_POINTER;
    return Member([&] { Control().SaveToStream(*stream, clearDirty != FALSE); });
  }
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) noexcept override {
    if (size == nullptr) return E_POINTER;
    return Member([&] { size->QuadPart = Control().SavedSize(); });
  }
  // A new control already is in its initial state.
  HRESULT STDMETHODCALLTYPE InitNew() noexcept override { return S_OK; }

 private:
  using TControlPiece<Derived, IPersistStreamInit>::Self;
  using TControlPiece<Derived, IPersistStreamInit>::Control;
  using TControlPiece<Derived, IPersistStreamInit>::Member;
};

template <class Derived>
class TPersistPropertyBagImpl : public TControlPiece<Derived, IPersistPropertyBag> {
 public:
  using AnsweredInterfaces = InterfaceList<IPersistPropertyBag>;

  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* out) noexcept override {
    if (out == nullptr) return E_POINTER;
    *out = Derived::ClassId();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE InitNew() noexcept override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) noexcept override {
    if (bag == nullptr) return E_POINTER;
    return Member([&] { Control().LoadFromBag(Self(), *bag, log); });
  }
  HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL clearDirty, BOOL) noexcept override {
    if (bag == nullptr) return E_POINTER;
    return Member([&] { Control().SaveToBag(Self(), *bag, clearDirty != FALSE); });
  }

 private:
  using TControlPiece<Derived, IPersistPropertyBag>::Self;
  using TControlPiece<Derived, IPersistPropertyBag>::Control;
  using TControlPiece<Derived, IPersistPropertyBag>::Member;
};

}  // namespace corvane
