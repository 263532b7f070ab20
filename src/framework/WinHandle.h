// Owners of the kernel's and the window manager's own resources, whose closers every process has
// (no table needed).
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

template <class T>
struct TGdiObjectTraits {
  static T Invalid() noexcept { return nullptr; }
  static BOOL Close(T object) noexcept { return ::DeleteObject(object); }
};
// Bitmaps, pens, brushes: deleted once no device context has them selected.
template <class T>
using TGdiObject = TUniqueResource<T, TGdiObjectTraits<T>>;

struct TMemoryDCTraits {
  static HDC Invalid() noexcept { return nullptr; }
  static BOOL Close(HDC dc) noexcept { return ::DeleteDC(dc); }
};
// Device contexts made with CreateCompatibleDC.
using TMemoryDC = TUniqueResource<HDC, TMemoryDCTraits>;

struct TWindowTraits {
  static HWND Invalid() noexcept { return nullptr; }
  static BOOL Close(HWND window) noexcept { return ::DestroyWindow(window); }
};
// A window of ours, destroyed on the thread that owns it (DestroyWindow works nowhere else).
using TWindowOwner = TUniqueResource<HWND, TWindowTraits>;

// Selects `object` into `dc` for the scope and puts the one it replaced back.
class TSelection {
 public:
  TSelection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~TSelection() { SelectObject(dc_, old_); }
  TSelection(const TSelection&) = delete;
  TSelection& operator=(const TSelection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace corvane
