// The property pages the server serves after Rendal's class, each a class of its own.
#pragma once

#include <vector>

#include "framework/com/ComServer.h"

namespace corvane {

// The page classes' factories, in the order the server starts and registers them: logon-as,
// event list, event detail. The server sees only their factories and registry entries; the test
// of the server's units links a table of its own in place of this one.
std::vector<ServedClass> MakePageFactories();

}  // namespace corvane
