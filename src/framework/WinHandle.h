// Owners of the system's handles: one move-only template, a traits struct per kind, closed
// exactly once by whoever holds it last. Closing keeps the thread's last error: callers often
// close on the way to reporting it.
#pragma once

#include <windows.h>

#include <cassert>
#include <utility>

namespace corvane {

template <class T, class Traits>
class TUniqueResource {
 public:
  TUniqueResource() = default;
  explicit TUniqueResource(T value) : value_(value) {}
  ~TUniqueResource() { reset(); }
  TUniqueResource(const TUniqueResource&) = delete;
  TUniqueResource& operator=(const TUniqueResource&) = delete;
  TUniqueResource(TUniqueResource&& other) noexcept : value_(other.release()) {}
  TUniqueResource& operator=(TUniqueResource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  T get() const { return value_; }
  explicit operator bool() const { return value_ != nullptr; }

  void reset(T value = nullptr) {
    T old = std::exchange(value_, value);
    if (old != nullptr) {
      const DWORD saved = GetLastError();
      Traits::Close(old);
      SetLastError(saved);
    }
  }
  T release() { return std::exchange(value_, nullptr); }
  // For out-parameters; an owner that still holds something would leak it.
  T* put() {
    assert(value_ == nullptr);
    return &value_;
  }

 private:
  T value_ = nullptr;
};

struct THandleTraits {
  static void Close(HANDLE handle) { CloseHandle(handle); }
};
// Kernel objects whose "no object" value is null (events, threads, processes, sections).
using TUniqueHandle = TUniqueResource<HANDLE, THandleTraits>;

struct TGdiObjectTraits {
  static void Close(HGDIOBJ object) { DeleteObject(object); }
};
// Bitmaps, pens, brushes: deleted once no device context has them selected.
template <class T>
using TGdiObject = TUniqueResource<T, TGdiObjectTraits>;

struct TMemoryDCTraits {
  static void Close(HDC dc) { DeleteDC(dc); }
};
// Device contexts made with CreateCompatibleDC.
using TMemoryDC = TUniqueResource<HDC, TMemoryDCTraits>;

struct TWindowTraits {
  static void Close(HWND window) { DestroyWindow(window); }
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
