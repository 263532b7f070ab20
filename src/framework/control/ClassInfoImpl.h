// IProvideClassInfo2: the control's class from its registered type library, and its event
// interface.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include "framework/com/InterfaceList.h"
#include "framework/control/ControlMember.h"

namespace corvane {

// The type information of class `clsid` in the library registered under `libid` (1.0) for
// `locale`, the library's own.
ComPtr<ITypeInfo> RegisteredClassInfo(const GUID& libid, LCID locale, const CLSID& clsid);

template <class Derived>
class TProvideClassInfoImpl : public TControlPiece<Derived, IProvideClassInfo2> {
 public:
  using AnsweredInterfaces = InterfaceList<IProvideClassInfo2, IProvideClassInfo>;

  HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** out) noexcept override {
    return Member([&] { RegisteredClassInfo(Derived::LibraryId(), Derived::kLibraryLocale, Derived::ClassId()).copy_to(out); }, out);
  }
  HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* out) noexcept override {
    if (out == nullptr) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
      *out = GUID_NULL;
      return E_INVALIDARG;
    }
    *out = Derived::EventsIid();
    return S_OK;
  }

 private:
  using TControlPiece<Derived, IProvideClassInfo2>::Member;
};

}  // namespace corvane
