// IConnectionPointContainer: the control's event interface and the property-change sinks.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include "framework/com/InterfaceList.h"
#include "framework/control/ControlMember.h"
#include "framework/com/Enumerator.h"

namespace corvane {

template <class Derived>
class TConnectionPointContainerImpl : public TControlPiece<Derived, IConnectionPointContainer> {
 public:
  using AnsweredInterfaces = InterfaceList<IConnectionPointContainer>;

  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) noexcept override {
    return Member(
        [&] {
          ComPtr<IConnectionPoint> events = MakeConnectionPoint(this, Control().EventConnections());
          ComPtr<IConnectionPoint> notify = MakeConnectionPoint(this, Control().PropertyNotifyConnections());
          MakeEnumerator<IEnumConnectionPoints>({events.get(), notify.get()}).copy_to(out);
        },
        out);
  }
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** out) noexcept override {
    return Member(
        [&]() -> HRESULT {
          TConnectionList* list = Control().FindConnections(iid);
          if (list == nullptr) return CONNECT_E_NOCONNECTION;
          MakeConnectionPoint(this, *list).copy_to(out);
          return S_OK;
        },
        out);
  }

 private:
  using TControlPiece<Derived, IConnectionPointContainer>::Self;
  using TControlPiece<Derived, IConnectionPointContainer>::Control;
  using TControlPiece<Derived, IConnectionPointContainer>::Member;
};

}  // namespace corvane
