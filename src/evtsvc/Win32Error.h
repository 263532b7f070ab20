// Failures inside the service are corvane::EOleSysError whose error code is the Win32 error the
// exported function leaves as the thread's last error (or returns, for the registry and network
// functions). The exported functions, and the simulated machines behind them, are noexcept shells
// around one of the helpers below, so the mapping from exceptions to codes lives in one place.
#pragma once

#include <windows.h>
// After windows.h:
#include <ntsecapi.h>

#include "framework/OleSysError.h"

namespace corvane::evtsvc {

[[noreturn]] void ThrowWin32(DWORD code);
// The calling thread's last error; ERROR_INTERNAL_ERROR when a failing call left none.
[[noreturn]] void ThrowLastError();

// The Win32 code for the exception being handled; only valid inside a catch block.
DWORD Win32CodeOfCurrentException() noexcept;
// The same as a status of the security authority: STATUS_NO_MEMORY for memory, otherwise
// STATUS_INTERNAL_ERROR.
NTSTATUS NtStatusOfCurrentException() noexcept;

// For functions that report failure through SetLastError: runs `body`, and on any exception
// sets the mapped code and returns `failure`.
template <typename Result, typename Body>
Result ReportingLastError(Result failure, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    SetLastError(Win32CodeOfCurrentException());
    return failure;
  }
}

// For functions that return their error code (registry, network management); `Code` is the
// type the function returns that code as.
template <typename Code = DWORD, typename Body>
auto ReturningError(Body&& body) noexcept -> decltype(body()) {
  try {
    return body();
  } catch (...) {
    return static_cast<Code>(Win32CodeOfCurrentException());
  }
}

// For functions that return an NTSTATUS (security authority).
template <typename Body>
auto ReturningStatus(Body&& body) noexcept -> decltype(body()) {
  try {
    return body();
  } catch (...) {
    return NtStatusOfCurrentException();
  }
}

}  // namespace corvane::evtsvc
