// Owner of one open registry key, closed through the service and registry table so that it
// works the same on a connected remote registry and on the Windows 95 family. Predefined root
// keys (HKEY_LOCAL_MACHINE and the like) are never put in one: they are not ours to close.
#pragma once

#include <windows.h>

#include <utility>

#include "system/AdvApi32.h"

namespace corvane {

class TRegKey {
 public:
  TRegKey() = default;
  explicit TRegKey(HKEY key) : key_(key) {}
  ~TRegKey() { reset(); }
  TRegKey(const TRegKey&) = delete;
  TRegKey& operator=(const TRegKey&) = delete;
  TRegKey(TRegKey&& other) noexcept : key_(other.release()) {}
  TRegKey& operator=(TRegKey&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  HKEY get() const { return key_; }
  explicit operator bool() const { return key_ != nullptr; }

  // The close result is ignored: there is nothing a caller could do about a key that will not
  // close. The thread's last error is kept.
  void reset(HKEY key = nullptr) {
    if (key_ != nullptr && ServiceApi.RegCloseKey) {
      const DWORD saved = ::GetLastError();
      ServiceApi.RegCloseKey(key_);
      ::SetLastError(saved);
    }
    key_ = key;
  }
  HKEY release() { return std::exchange(key_, nullptr); }

 private:
  HKEY key_ = nullptr;
};

}  // namespace corvane
