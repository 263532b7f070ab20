// Owners of the system's handles, all instances of the one owner template.
#pragma once

#include <windows.h>

#include "framework/UniqueResource.h"

namespace corvane {

// Kernel objects whose "no object" value is null (events, threads, processes, sections).
using TUniqueHandle = TUniqueResource<HANDLE, TNullTraits<HANDLE, &CloseHandle>>;

// Bitmaps, pens, brushes: deleted once no device context has them selected.
template <class T>
using TGdiObject = TUniqueResource<T, TNullTraits<T, &DeleteObject>>;

// Device contexts made with CreateCompatibleDC.
using TMemoryDC = TUniqueResource<HDC, TNullTraits<HDC, &DeleteDC>>;

// A window of ours, destroyed on the thread that owns it (DestroyWindow works nowhere else).
using TWindowOwner = TUniqueResource<HWND, TNullTraits<HWND, &DestroyWindow>>;

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
