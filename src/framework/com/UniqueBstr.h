// Owner of one BSTR. A null BSTR is a valid empty string to COM, so "empty owner" and "empty
// string" are the same thing here; Length() reads the stored length, never a terminator.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cassert>
#include <utility>

namespace corvane {

class UniqueBstr {
 public:
  UniqueBstr() noexcept = default;
  explicit UniqueBstr(BSTR value) noexcept : value_(value) {}
  UniqueBstr(UniqueBstr&& other) noexcept : value_(other.release()) {}
  UniqueBstr& operator=(UniqueBstr&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueBstr(const UniqueBstr&) = delete;
  UniqueBstr& operator=(const UniqueBstr&) = delete;
  ~UniqueBstr() { reset(); }

  BSTR get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != nullptr; }
  UINT Length() const noexcept { return SysStringLen(value_); }

  void reset(BSTR value = nullptr) noexcept {
    if (BSTR old = std::exchange(value_, value)) SysFreeString(old);
  }
  // Hands the string to the caller (an out-parameter), who frees it.
  [[nodiscard]] BSTR release() noexcept { return std::exchange(value_, nullptr); }
  // For out-parameters; an owner that still holds a string would leak it.
  BSTR* put() noexcept {
    assert(value_ == nullptr);
    return &value_;
  }

 private:
  BSTR value_ = nullptr;
};

}  // namespace corvane
