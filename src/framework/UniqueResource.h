// The one owner shape of the tree: a system resource (handle, key, module, buffer) held by one
// move-only object and given back exactly once. A traits struct names the "nothing held" value
// and the closer; closers that live in the system tables are reached through them, so an owner
// never calls an empty entry.
//
// Closing on destruction or reset keeps the thread's last error: failure paths clean up before
// they report. close() is for the few callers that must report a close that failed.
#pragma once

#include <windows.h>

#include <cassert>
#include <type_traits>
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
      const DWORD error = ::GetLastError();
      Traits::Close(old);
      ::SetLastError(error);
    }
  }
  // For out-parameters; an owner that still holds something would leak it.
  T* put() noexcept {
    assert(value_ == Traits::Invalid());
    return &value_;
  }
  // True when the resource was given back (or none was held). When the closer says it failed,
  // the owner keeps the resource and the system's error is left for the caller to raise.
  bool close() noexcept {
    if (value_ == Traits::Invalid()) return true;
    if constexpr (std::is_void_v<decltype(Traits::Close(value_))>) {
      Traits::Close(release());
    } else {
      if (!Traits::Close(value_)) return false;
      release();
    }
    return true;
  }

 private:
  T value_ = Traits::Invalid();
};

// Traits for the many kinds whose "none" value is null and that one function closes.
template <typename T, auto Closer>
struct TNullTraits {
  static T Invalid() noexcept { return nullptr; }
  static auto Close(T value) noexcept { return Closer(value); }
};

}  // namespace corvane
