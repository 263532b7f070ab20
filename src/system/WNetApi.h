// The two connection functions the component base uses. They are ordinary imports of the
// networking library, reached through table entries so tests can stand in for the network.
#pragma once

#include <windows.h>
#include <winnetwk.h>

#include "system/TableEntry.h"

namespace corvane {

class TWNetFunctions : public FunctionTable {
 public:
  // Binds both entries to the real imports.
  TWNetFunctions();

  TableEntry<decltype(&::WNetAddConnection2A)> WNetAddConnection2A{"WNetAddConnection2A", this};
  TableEntry<decltype(&::WNetCancelConnection2A)> WNetCancelConnection2A{"WNetCancelConnection2A",
                                                                         this};
};

extern TWNetFunctions WNetApi;

}  // namespace corvane
