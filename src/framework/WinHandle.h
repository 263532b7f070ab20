// Owner of one kernel object handle (event, thread, file mapping): closed exactly once, by
// whoever holds it last. Copying is deleted; moving hands the handle on.
#pragma once

#include <windows.h>

#include <utility>

namespace corvane {

class TUniqueHandle {
 public:
  TUniqueHandle() = default;
  explicit TUniqueHandle(HANDLE handle) : handle_(handle) {}
  ~TUniqueHandle() { reset(); }
  TUniqueHandle(const TUniqueHandle&) = delete;
  TUniqueHandle& operator=(const TUniqueHandle&) = delete;
  TUniqueHandle(TUniqueHandle&& other) noexcept : handle_(other.release()) {}
  TUniqueHandle& operator=(TUniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

  // Closing keeps the thread's last error: callers often close on the way to reporting it.
  void reset(HANDLE handle = nullptr) {
    if (handle_ != nullptr) {
      DWORD saved = GetLastError();
      CloseHandle(handle_);
      SetLastError(saved);
    }
    handle_ = handle;
  }
  HANDLE release() { return std::exchange(handle_, nullptr); }

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace corvane
