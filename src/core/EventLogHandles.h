// Owners of the two handle kinds of the event-log functions: an open log (closed with
// CloseEventLog) and a registered event source (closed with DeregisterEventSource), both
// through the event-log function table. close() reports the system's answer so that callers
// can raise it; a handle still held at destruction is closed silently, keeping the last error.
#pragma once

#include <windows.h>

#include "framework/UniqueResource.h"
#include "system/NT_vs_95.h"

namespace corvane {

struct TEventLogHandleTraits {
  static HANDLE Invalid() noexcept { return nullptr; }
  static BOOL Close(HANDLE handle) noexcept {
    return EventLogApi.CloseEventLog ? EventLogApi.CloseEventLog(handle) : FALSE;
  }
};
using TEventLogHandle = TUniqueResource<HANDLE, TEventLogHandleTraits>;

struct TEventSourceHandleTraits {
  static HANDLE Invalid() noexcept { return nullptr; }
  static BOOL Close(HANDLE handle) noexcept {
    return EventLogApi.DeregisterEventSource ? EventLogApi.DeregisterEventSource(handle) : FALSE;
  }
};
using TEventSourceHandle = TUniqueResource<HANDLE, TEventSourceHandleTraits>;

}  // namespace corvane
