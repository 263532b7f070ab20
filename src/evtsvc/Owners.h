// Owners of the system resources the service holds: one move-only type per kind, closed exactly
// once. Closing keeps the thread's last error, so a failure path may clean up before it reports.
#pragma once

#include <windows.h>

#include <cassert>
#include <utility>

namespace corvane::evtsvc {

template <typename T, typename Traits>
class UniqueResource {
 public:
  UniqueResource() noexcept = default;
  explicit UniqueResource(T value) noexcept : value_(value) {}
  UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  ~UniqueResource() { reset(); }

  T get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != Traits::Invalid(); }
  T release() noexcept { return std::exchange(value_, Traits::Invalid()); }
  void reset(T value = Traits::Invalid()) noexcept {
    T old = std::exchange(value_, value);
    if (old != Traits::Invalid()) {
      const DWORD error = GetLastError();
      Traits::Close(old);
      SetLastError(error);
    }
  }
  // For out-parameters; an owner that still holds something would leak it.
  T* put() noexcept {
    assert(value_ == Traits::Invalid());
    return &value_;
  }

 private:
  T value_ = Traits::Invalid();
};

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
