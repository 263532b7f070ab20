// Owner of one block from the COM task allocator (CoTaskMemAlloc), as the system hands out in
// out-parameters (CALPOLESTR strings, CAUUID arrays, string forms of GUIDs) and expects back.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <cassert>
#include <cstdint>
#include <new>
#include <utility>

namespace corvane {

template <typename T>
class UniqueTaskMem {
 public:
  UniqueTaskMem() noexcept = default;
  explicit UniqueTaskMem(T* value) noexcept : value_(value) {}
  UniqueTaskMem(UniqueTaskMem&& other) noexcept : value_(other.release()) {}
  UniqueTaskMem& operator=(UniqueTaskMem&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueTaskMem(const UniqueTaskMem&) = delete;
  UniqueTaskMem& operator=(const UniqueTaskMem&) = delete;
  ~UniqueTaskMem() { reset(); }

  // `count` elements of T, uninitialised; raises std::bad_alloc when the allocator refuses.
  static UniqueTaskMem Allocate(size_t count) {
    if (count > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
    void* block = CoTaskMemAlloc(count * sizeof(T));
    if (block == nullptr && count != 0) throw std::bad_alloc();
    return UniqueTaskMem(static_cast<T*>(block));
  }

  T* get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != nullptr; }

  void reset(T* value = nullptr) noexcept {
    if (T* old = std::exchange(value_, value)) CoTaskMemFree(old);
  }
  // Hands the block to the caller (an out-parameter), who frees it.
  [[nodiscard]] T* release() noexcept { return std::exchange(value_, nullptr); }
  T** put() noexcept {
    assert(value_ == nullptr);
    return &value_;
  }

 private:
  T* value_ = nullptr;
};

}  // namespace corvane
