// Owners of the kernel's own resources, whose closers every process has (no table needed).
#pragma once

#include <windows.h>

#include "framework/UniqueResource.h"

namespace corvane {

struct THandleTraits {
  static HANDLE Invalid() noexcept { return nullptr; }
  static BOOL Close(HANDLE handle) noexcept { return ::CloseHandle(handle); }
};
// Kernel objects whose "no object" value is null (events, threads, mutexes, sections, processes).
using TUniqueHandle = TUniqueResource<HANDLE, THandleTraits>;

struct TFileTraits {
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static BOOL Close(HANDLE handle) noexcept { return ::CloseHandle(handle); }
};
// CreateFile results, whose "no object" value is INVALID_HANDLE_VALUE.
using TUniqueFile = TUniqueResource<HANDLE, TFileTraits>;

struct TViewTraits {
  static void* Invalid() noexcept { return nullptr; }
  static BOOL Close(void* view) noexcept { return ::UnmapViewOfFile(view); }
};
using TUniqueView = TUniqueResource<void*, TViewTraits>;

struct TModuleTraits {
  static HMODULE Invalid() noexcept { return nullptr; }
  static BOOL Close(HMODULE module) noexcept { return ::FreeLibrary(module); }
};
using TUniqueModule = TUniqueResource<HMODULE, TModuleTraits>;

}  // namespace corvane
