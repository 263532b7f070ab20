// The one way to make the event-log control: the class factory of Corvane.ocx calls it.
#pragma once
#include <windows.h>
#include <unknwn.h>

namespace corvane {

// Creates a Rendal control and hands out `iid` in `out` (null on failure). Aggregation is not
// offered: a non-null `outer` gives CLASS_E_NOAGGREGATION. A failure leaves an error record.
HRESULT CreateRendal(IUnknown* outer, REFIID iid, void** out) noexcept;

}  // namespace corvane
