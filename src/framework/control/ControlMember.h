// One interface piece of a control. The pieces are bases of the final control class, so they
// reach the control's state, and the error source its failures name, through that class. `Base`
// is what the piece implements I on (I itself, or a framework piece such as DispatchImpl<I>).
#pragma once
#include <utility>
#include "framework/com/ComBoundary.h"
#include "framework/control/ControlBase.h"

namespace corvane {

template <class Derived, class I, class Base = I>
class TControlPiece : public Base {
 protected:
  Derived& Self() noexcept { return static_cast<Derived&>(*this); }
  // The shared state, by a name the interfaces' own members cannot hide.
  TControlBase& Control() noexcept { return static_cast<TControlBase&>(Self()); }
  // Runs a member of I through the boundary, in the control's name.
  template <class Body, class... Outs>
  HRESULT Member(Body&& body, Outs*... outs) noexcept {
    return MemberBoundary<I, Derived>(std::forward<Body>(body), outs...);
  }
};

}  // namespace corvane
