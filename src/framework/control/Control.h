// A control class: one COM object with every interface a container asks of an ActiveX control.
//
//   class TThing final : public TControl<TThing, TThingDispatch>, public TControlBase-derived {
//     static constexpr const wchar_t* kErrorSource = L"Library.Thing";
//     static constexpr DWORD kMiscStatus = ...;
//     static const CLSID& ClassId();  static const GUID& LibraryId();  static const IID& EventsIid();
//   };
//
// `Dual` is the implementation of the control's dual interface (a DispatchImpl). The control is
// made with CreateControl, which runs the initialization hook before anyone else sees it.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>
#include "framework/com/ComObject.h"
#include "framework/control/BrowsingImpl.h"
#include "framework/control/ClassInfoImpl.h"
#include "framework/control/ConnectionPointContainerImpl.h"
#include "framework/control/ControlBase.h"
#include "framework/control/InPlaceImpl.h"
#include "framework/control/OleControlImpl.h"
#include "framework/control/OleObjectImpl.h"
#include "framework/control/PersistImpl.h"
#include "framework/control/ViewObjectImpl.h"

namespace corvane {

template <class Derived, class Dual>
using TControl =
    ComObject<Derived, Dual, ISupportErrorInfo, TOleObjectImpl<Derived>, TOleControlImpl<Derived>,
              TOleInPlaceObjectImpl<Derived>, TOleInPlaceActiveObjectImpl<Derived>, TViewObjectImpl<Derived>,
              TProvideClassInfoImpl<Derived>, TConnectionPointContainerImpl<Derived>,
              TPersistStreamInitImpl<Derived>, TPersistPropertyBagImpl<Derived>,
              TPerPropertyBrowsingImpl<Derived>, TSpecifyPropertyPagesImpl<Derived>>;

// Makes a control of class T and hands out `iid`; aggregation is not offered.
template <class T, class... Args>
HRESULT CreateControl(IUnknown* outer, REFIID iid, void** out, Args&&... args) noexcept {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  return ComBoundary(ErrorOrigin{iid, T::kErrorSource}, [&] {
    ComPtr<T> control = Make<T>(std::forward<Args>(args)...);
    control->Initialize();
    return control->QueryInterface(iid, out);
  });
}

}  // namespace corvane
