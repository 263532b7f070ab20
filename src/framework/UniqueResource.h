// The one owner template for system resources (handles, keys, windows, GDI objects, hooks):
// a traits struct per kind names the "none" value and how to close one. Move-only, closed
// exactly once; closing keeps the thread's last error, so a failure path may clean up before it
// reports.
#pragma once

#include <windows.h>

#include <cassert>
#include <utility>

namespace corvane {

template <typename T, typename Traits>
class TUniqueResource {
 public:
  TUniqueResource() noexcept = default;
  explicit TUniqueResource(T value) noexcept : value_(value) {}
  TUniqueResource(TUniqueResource&& other) noexcept : value_(other.release()) {}
  TUniqueResource& operator=(TUniqueResource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  TUniqueResource(const TUniqueResource&) = delete;
  TUniqueResource& operator=(const TUniqueResource&) = delete;
  ~TUniqueResource() { reset(); }

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

// Traits for the many kinds whose "none" value is null and that one function closes.
template <typename T, auto Closer>
struct TNullTraits {
  static T Invalid() noexcept { return nullptr; }
  static void Close(T value) noexcept { Closer(value); }
};

}  // namespace corvane
