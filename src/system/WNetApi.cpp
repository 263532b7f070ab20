#include "system/WNetApi.h"

namespace corvane {

TWNetFunctions::TWNetFunctions() {
  Library = "mpr.dll";
  WNetAddConnection2A.Set(&::WNetAddConnection2A);
  WNetCancelConnection2A.Set(&::WNetCancelConnection2A);
}

TWNetFunctions WNetApi;

}  // namespace corvane
