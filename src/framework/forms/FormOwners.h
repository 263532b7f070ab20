// Owners of the user-interface resources a form holds: windows, GDI objects and the tooltip
// hook. Move-only, released exactly once; releasing keeps the thread's last error, so a failure
// path may clean up before it reports.
#pragma once

#include <windows.h>

#include <cassert>
#include <utility>

namespace corvane::forms {

template <typename T, typename Traits>
class TUniqueUiResource {
 public:
  TUniqueUiResource() noexcept = default;
  explicit TUniqueUiResource(T value) noexcept : value_(value) {}
  TUniqueUiResource(TUniqueUiResource&& other) noexcept : value_(other.release()) {}
  TUniqueUiResource& operator=(TUniqueUiResource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  TUniqueUiResource(const TUniqueUiResource&) = delete;
  TUniqueUiResource& operator=(const TUniqueUiResource&) = delete;
  ~TUniqueUiResource() { reset(); }

  T get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != nullptr; }
  T release() noexcept { return std::exchange(value_, nullptr); }
  void reset(T value = nullptr) noexcept {
    T old = std::exchange(value_, value);
    if (old != nullptr) {
      const DWORD error = GetLastError();
      Traits::Close(old);
      SetLastError(error);
    }
  }

 private:
  T value_ = nullptr;
};

struct TWindowTraits {
  static void Close(HWND window) noexcept { DestroyWindow(window); }
};
// A window this code created; destroying it destroys its child windows too.
using TUniqueWindow = TUniqueUiResource<HWND, TWindowTraits>;

struct TGdiTraits {
  static void Close(HGDIOBJ object) noexcept { DeleteObject(object); }
};
using TUniqueFont = TUniqueUiResource<HFONT, TGdiTraits>;
using TUniqueBrush = TUniqueUiResource<HBRUSH, TGdiTraits>;
using TUniqueBitmap = TUniqueUiResource<HBITMAP, TGdiTraits>;

struct THookTraits {
  static void Close(HHOOK hook) noexcept { UnhookWindowsHookEx(hook); }
};
using TUniqueHook = TUniqueUiResource<HHOOK, THookTraits>;

struct TDcTraits {
  static void Close(HDC dc) noexcept { DeleteDC(dc); }
};
// A memory device context (CreateCompatibleDC), not one borrowed with GetDC.
using TUniqueMemoryDc = TUniqueUiResource<HDC, TDcTraits>;

}  // namespace corvane::forms
