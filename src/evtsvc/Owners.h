// Owners of the system resources the service holds: one move-only type per kind, closed exactly
// once. Closing keeps the thread's last error, so a failure path may clean up before it reports.
#pragma once

#include <windows.h>

#include "framework/UniqueResource.h"

namespace corvane::evtsvc {

template <typename T, typename Traits>
using UniqueResource = TUniqueResource<T, Traits>;

struct HandleTraits {
  static HANDLE Invalid() noexcept { return nullptr; }
  static void Close(HANDLE handle) noexcept { CloseHandle(handle); }
};
// Kernel objects whose "no object" value is null (events, mutexes, sections, processes).
using UniqueHandle = UniqueResource<HANDLE, HandleTraits>;

struct FileTraits {
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE handle) noexcept { CloseHandle(handle); }
};
// CreateFile results, whose "no object" value is INVALID_HANDLE_VALUE.
using UniqueFile = UniqueResource<HANDLE, FileTraits>;

struct KeyTraits {
  static HKEY Invalid() noexcept { return nullptr; }
  static void Close(HKEY key) noexcept { RegCloseKey(key); }
};
using UniqueKey = UniqueResource<HKEY, KeyTraits>;

struct ViewTraits {
  static void* Invalid() noexcept { return nullptr; }
  static void Close(void* view) noexcept { UnmapViewOfFile(view); }
};
using UniqueView = UniqueResource<void*, ViewTraits>;

}  // namespace corvane::evtsvc
