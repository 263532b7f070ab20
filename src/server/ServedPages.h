// The property pages the server serves after Rendal's class, each a class of its own.
#pragma once

#include <vector>

#include "framework/com/ComServer.h"

namespace corvane {

// The page classes' factories, in the order the server starts and registers them: logon-as,
// event list, event detail. Defined by the page units linked into the module, which hold the
// pages; the server sees only their factories and registry entries.
std::vector<ServedClass> MakePageFactories();

}  // namespace corvane
