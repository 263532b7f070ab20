// The machines of the simulated network as the event-log code sees them (Machine.h): their
// %SystemRoot% is their folder, their registry the one of their registry.reg.
#pragma once

#include <memory>
#include <string_view>

#include "Machine.h"

namespace corvane::network {

// The machine of that name in the simulated network, or null when the network has none.
std::shared_ptr<const evtsvc::TMachine> FindRemoteMachine(std::wstring_view name);

}  // namespace corvane::network
