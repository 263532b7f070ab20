// Owner of one counted reference to a COM interface. Move-only, so every AddRef is visible in the
// code (copy_to, query, the explicit copy constructor of Copy) and released exactly once.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <cassert>
#include <utility>

#include "framework/OleSysError.h"

namespace corvane {

template <typename I>
class ComPtr {
 public:
  ComPtr() noexcept = default;
  ComPtr(std::nullptr_t) noexcept {}
  ComPtr(ComPtr&& other) noexcept : ptr_(other.detach()) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) attach(other.detach());
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { reset(); }

  // A second owner of the same object: takes a reference of its own.
  static ComPtr Copy(I* ptr) noexcept {
    if (ptr != nullptr) ptr->AddRef();
    ComPtr result;
    result.ptr_ = ptr;
    return result;
  }

  I* get() const noexcept { return ptr_; }
  I* operator->() const noexcept {
    assert(ptr_ != nullptr);
    return ptr_;
  }
  explicit operator bool() const noexcept { return ptr_ != nullptr; }

  void reset() noexcept {
    if (I* old = std::exchange(ptr_, nullptr)) old->Release();
  }
  // Takes over a reference the caller already holds.
  void attach(I* ptr) noexcept {
    I* old = std::exchange(ptr_, ptr);
    if (old != nullptr) old->Release();
  }
  // Hands the reference to the caller, who must release it.
  [[nodiscard]] I* detach() noexcept { return std::exchange(ptr_, nullptr); }

  // For out-parameters; an owner that still holds a reference would leak it.
  I** put() noexcept {
    assert(ptr_ == nullptr);
    return &ptr_;
  }
  void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

  // Fills a caller's out-parameter with a further reference.
  template <typename Out>
  void copy_to(Out** out) const noexcept {
    *out = ptr_;
    if (ptr_ != nullptr) ptr_->AddRef();
  }

  // Another interface of the same object, or an empty owner when the object lacks it.
  template <typename J>
  ComPtr<J> try_query() const noexcept {
    ComPtr<J> result;
    if (ptr_ != nullptr) ptr_->QueryInterface(__uuidof(J), result.put_void());
    return result;
  }
  // Another interface of the same object; raises the object's answer when it lacks it.
  template <typename J>
  ComPtr<J> query() const {
    ComPtr<J> result;
    const HRESULT hr = ptr_ != nullptr ? ptr_->QueryInterface(__uuidof(J), result.put_void()) : E_POINTER;
    if (FAILED(hr)) throw EOleSysError("Interface not supported", static_cast<int32_t>(hr));
    return result;
  }

 private:
  I* ptr_ = nullptr;
};

}  // namespace corvane
