// Owners of the system resources the service holds. The service is a DLL of its own, without
// the control's system tables: its closers are the system's functions, called directly.
#pragma once

#include <windows.h>

#include "framework/UniqueResource.h"
#include "framework/WinHandle.h"

namespace corvane::evtsvc {

using UniqueHandle = TUniqueHandle;

struct TKeyTraits {
  static HKEY Invalid() noexcept { return nullptr; }
  static void Close(HKEY key) noexcept { RegCloseKey(key); }
};
using UniqueKey = TUniqueResource<HKEY, TKeyTraits>;

}  // namespace corvane::evtsvc
