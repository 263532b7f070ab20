// Owners of the two handle kinds of the event-log functions: an open log (closed with
// CloseEventLog) and a registered event source (closed with DeregisterEventSource), both
// through the event-log function table. Close reports the system's answer so that callers can
// raise it; a handle still held at destruction is closed silently, keeping the last error.
#pragma once

#include <windows.h>

#include <utility>

#include "system/NT_vs_95.h"

namespace corvane {

template <BOOL (*CloseFn)(HANDLE)>
class TEventApiHandle {
 public:
  TEventApiHandle() = default;
  explicit TEventApiHandle(HANDLE handle) : handle_(handle) {}
  ~TEventApiHandle() {
    if (handle_ != nullptr) {
      const DWORD saved = GetLastError();
      CloseFn(handle_);
      SetLastError(saved);
    }
  }
  TEventApiHandle(const TEventApiHandle&) = delete;
  TEventApiHandle& operator=(const TEventApiHandle&) = delete;
  TEventApiHandle(TEventApiHandle&& other) noexcept : handle_(other.release()) {}
  TEventApiHandle& operator=(TEventApiHandle&& other) noexcept {
    if (this != &other) {
      TEventApiHandle old(std::exchange(handle_, other.release()));
    }
    return *this;
  }

  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  HANDLE release() { return std::exchange(handle_, nullptr); }
  // True when the handle was closed (or there was none); on failure the handle is kept and the
  // system's error is left for the caller.
  bool Close() {
    if (handle_ == nullptr) return true;
    if (!CloseFn(handle_)) return false;
    handle_ = nullptr;
    return true;
  }

 private:
  HANDLE handle_ = nullptr;
};

namespace detail {
inline BOOL CloseEventLogHandle(HANDLE handle) {
  return EventLogApi.CloseEventLog ? EventLogApi.CloseEventLog(handle) : FALSE;
}
inline BOOL DeregisterSourceHandle(HANDLE handle) {
  return EventLogApi.DeregisterEventSource ? EventLogApi.DeregisterEventSource(handle) : FALSE;
}
}  // namespace detail

using TEventLogHandle = TEventApiHandle<&detail::CloseEventLogHandle>;
using TEventSourceHandle = TEventApiHandle<&detail::DeregisterSourceHandle>;

}  // namespace corvane
