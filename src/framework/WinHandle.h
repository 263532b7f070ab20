// Owners of the kernel's and the window manager's own resources, whose closers every process has
// (no table needed).
#pragma once

#include <windows.h>

#include "framework/UniqueResource.h"

namespace corvane {

// Kernel objects whose "no object" value is null (events, threads, mutexes, sections, processes).
using TUniqueHandle = TUniqueResource<HANDLE, TNullTraits<HANDLE, &::CloseHandle>>;

struct TFileTraits {
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static BOOL Close(HANDLE handle) noexcept { return ::CloseHandle(handle); }
};
// CreateFile results, whose "no object" value is INVALID_HANDLE_VALUE.
using TUniqueFile = TUniqueResource<HANDLE, TFileTraits>;

using TUniqueView = TUniqueResource<void*, TNullTraits<void*, &::UnmapViewOfFile>>;
using TUniqueModule = TUniqueResource<HMODULE, TNullTraits<HMODULE, &::FreeLibrary>>;
// Bitmaps, pens, brushes: deleted once no device context has them selected.
template <class T>
using TGdiObject = TUniqueResource<T, TNullTraits<T, &::DeleteObject>>;
// Device contexts made with CreateCompatibleDC.
using TMemoryDC = TUniqueResource<HDC, TNullTraits<HDC, &::DeleteDC>>;
// A window of ours, destroyed on the thread that owns it (DestroyWindow works nowhere else).
using TWindowOwner = TUniqueResource<HWND, TNullTraits<HWND, &::DestroyWindow>>;

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
