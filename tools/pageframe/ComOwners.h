// Owners of the COM resources the frame holds: interface pointers and task-allocator memory
// (the strings a page hands back from GetPageInfo).
#pragma once

#include <objbase.h>

#include <cassert>
#include <utility>

namespace corvane::pageframe {

template <class T>
class TComPtr {
 public:
  TComPtr() noexcept = default;
  // Takes a reference of its own.
  explicit TComPtr(T* pointer) noexcept : pointer_(pointer) {
    if (pointer_ != nullptr) pointer_->AddRef();
  }
  TComPtr(const TComPtr& other) noexcept : TComPtr(other.pointer_) {}
  TComPtr(TComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  TComPtr& operator=(TComPtr other) noexcept {
    std::swap(pointer_, other.pointer_);
    return *this;
  }
  ~TComPtr() { reset(); }

  T* get() const noexcept { return pointer_; }
  T* operator->() const noexcept { return pointer_; }
  explicit operator bool() const noexcept { return pointer_ != nullptr; }
  void reset() noexcept {
    if (T* old = std::exchange(pointer_, nullptr)) old->Release();
  }
  // For out-parameters that hand over a reference.
  T** put() noexcept {
    assert(pointer_ == nullptr);
    return &pointer_;
  }
  template <class U>
  HRESULT QueryInto(TComPtr<U>& target) const noexcept {
    target.reset();
    return pointer_->QueryInterface(__uuidof(U), reinterpret_cast<void**>(target.put()));
  }

 private:
  T* pointer_ = nullptr;
};

// A wide string from the task allocator; freed once.
class TTaskString {
 public:
  TTaskString() = default;
  ~TTaskString() { CoTaskMemFree(text_); }
  TTaskString(const TTaskString&) = delete;
  TTaskString& operator=(const TTaskString&) = delete;
  LPOLESTR get() const { return text_; }
  LPOLESTR* put() {
    assert(text_ == nullptr);
    return &text_;
  }

 private:
  LPOLESTR text_ = nullptr;
};

}  // namespace corvane::pageframe
