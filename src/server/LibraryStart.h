// The units of Corvane.ocx, started in a fixed order on the first call into the library and
// finished in reverse when it unloads:
//   1. the COM server object,
//   2. the four tables of system functions,
//   3. the process-wide account name cache, and the component base's lookup through it,
//   4. the class factory of Rendal,
//   5. the property pages' factories, in the order of their table (ServedPages.h).
// Start is not run from DllMain: binding the tables loads libraries, which must not happen
// under the loader lock.
#pragma once

#include <windows.h>

#include <functional>

#include "framework/com/ComServer.h"

namespace corvane {

// Starts every unit once per process; later calls return at once. A unit that raises finishes
// the units already started, in reverse, and the exception passes on: the next call tries again.
void StartLibrary();
// Finishes the started units in reverse; does nothing when none started.
void FinishLibrary() noexcept;
// The server object; only valid between StartLibrary and FinishLibrary.
ComServer& Server();

// Called as each unit starts (`starting` true) or finishes. For tests; null for none.
using UnitObserver = std::function<void(const char* unit, bool starting)>;
void ObserveLibraryUnits(UnitObserver observer);

// What Rendal registers (its class, program identifier, control settings) for `module`, which
// holds its verb names.
ClassRegistration RendalRegistration(HMODULE module);

}  // namespace corvane
