// Owners of the system resources the service holds. The service is a DLL of its own, without
// the control's system tables: its closers are the system's functions, called directly.
#pragma once

#include <windows.h>

#include "framework/UniqueResource.h"
#include "framework/WinHandle.h"

namespace corvane::evtsvc {

template <typename T, typename Traits>
using UniqueResource = TUniqueResource<T, Traits>;

using UniqueHandle = TUniqueHandle;
using UniqueFile = TUniqueFile;
using UniqueView = TUniqueView;

struct KeyTraits {
  static HKEY Invalid() noexcept { return nullptr; }
  static void Close(HKEY key) noexcept { RegCloseKey(key); }
};
using UniqueKey = UniqueResource<HKEY, KeyTraits>;

}  // namespace corvane::evtsvc
