// Owner of one VARIANT: cleared (VariantClear) exactly once, so the string, interface or array it
// holds is freed with it. Moving leaves the source VT_EMPTY.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cassert>

namespace corvane {

class UniqueVariant {
 public:
  UniqueVariant() noexcept { VariantInit(&value_); }
  // Takes over the contents of `value` and leaves it VT_EMPTY.
  explicit UniqueVariant(VARIANT&& value) noexcept : value_(value) { VariantInit(&value); }
  UniqueVariant(UniqueVariant&& other) noexcept : value_(other.release()) {}
  UniqueVariant& operator=(UniqueVariant&& other) noexcept {
    if (this != &other) {
      reset();
      value_ = other.release();
    }
    return *this;
  }
  UniqueVariant(const UniqueVariant&) = delete;
  UniqueVariant& operator=(const UniqueVariant&) = delete;
  ~UniqueVariant() { reset(); }

  const VARIANT* get() const noexcept { return &value_; }
  VARTYPE Type() const noexcept { return V_VT(&value_); }

  void reset() noexcept {
    VariantClear(&value_);
  }
  // Hands the contents to the caller (an out-parameter), who clears them.
  [[nodiscard]] VARIANT release() noexcept {
    VARIANT result = value_;
    VariantInit(&value_);
    return result;
  }
  // For out-parameters; an owner that still holds something would leak it.
  VARIANT* put() noexcept {
    assert(V_VT(&value_) == VT_EMPTY);
    return &value_;
  }

 private:
  VARIANT value_;
};

}  // namespace corvane
