// Owner of one open registry key, closed through the service and registry table so that it
// works the same on a connected remote registry and on the Windows 95 family. Predefined root
// keys (HKEY_LOCAL_MACHINE and the like) are never put in one: they are not ours to close.
#pragma once

#include <windows.h>

#include "framework/UniqueResource.h"
#include "system/AdvApi32.h"

namespace corvane {

struct TRegKeyTraits {
  static HKEY Invalid() noexcept { return nullptr; }
  static bool Close(HKEY key) noexcept {
    return ServiceApi.RegCloseKey && ServiceApi.RegCloseKey(key) == ERROR_SUCCESS;
  }
};
using TRegKey = TUniqueResource<HKEY, TRegKeyTraits>;

}  // namespace corvane
