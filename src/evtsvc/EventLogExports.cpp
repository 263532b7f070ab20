// The exported event-log functions: noexcept shells that check what the system checks before it
// looks at a handle, call the service, and report failure through the thread's last error.
// They carry their own names here and receive the system's names in ntevtsvc.def; the
// static_asserts keep the signatures those of the system's declarations.
#include <windows.h>

#include "EventLogService.h"
#include "ExportSignature.h"
#include "Win32Error.h"

using corvane::evtsvc::ReportingLastError;
using corvane::evtsvc::ThrowWin32;
namespace svc = corvane::evtsvc;

namespace {

bool ValidReadFlags(DWORD flags) {
  const DWORD how = flags & (EVENTLOG_SEQUENTIAL_READ | EVENTLOG_SEEK_READ);
  const DWORD direction = flags & (EVENTLOG_FORWARDS_READ | EVENTLOG_BACKWARDS_READ);
  const DWORD known = EVENTLOG_SEQUENTIAL_READ | EVENTLOG_SEEK_READ | EVENTLOG_FORWARDS_READ |
                      EVENTLOG_BACKWARDS_READ;
  return (how == EVENTLOG_SEQUENTIAL_READ || how == EVENTLOG_SEEK_READ) &&
         (direction == EVENTLOG_FORWARDS_READ || direction == EVENTLOG_BACKWARDS_READ) &&
         (flags & ~known) == 0;
}

template <typename Value>
BOOL StoreResult(Value* out, Value (*query)(HANDLE), HANDLE handle) {
  return ReportingLastError(FALSE, [&] {
    if (!out) ThrowWin32(ERROR_INVALID_PARAMETER);
    *out = query(handle);
    return TRUE;
  });
}

}  // namespace

extern "C" {

HANDLE WINAPI NtEvtSvc_OpenEventLogA(LPCSTR server, LPCSTR source) noexcept {
  return ReportingLastError<HANDLE>(nullptr, [&] {
    if (!source) ThrowWin32(ERROR_INVALID_PARAMETER);
    return svc::OpenLog(server, source);
  });
}

HANDLE WINAPI NtEvtSvc_OpenBackupEventLogA(LPCSTR server, LPCSTR file) noexcept {
  return ReportingLastError<HANDLE>(nullptr, [&] {
    if (!file) ThrowWin32(ERROR_INVALID_PARAMETER);
    return svc::OpenBackupLog(server, file);
  });
}

HANDLE WINAPI NtEvtSvc_RegisterEventSourceA(LPCSTR server, LPCSTR source) noexcept {
  return ReportingLastError<HANDLE>(nullptr, [&] {
    if (!source) ThrowWin32(ERROR_INVALID_PARAMETER);
    return svc::RegisterSource(server, source);
  });
}

BOOL WINAPI NtEvtSvc_CloseEventLog(HANDLE log) noexcept {
  return ReportingLastError(FALSE, [&] {
    svc::CloseLog(log);
    return TRUE;
  });
}

BOOL WINAPI NtEvtSvc_DeregisterEventSource(HANDLE log) noexcept {
  return ReportingLastError(FALSE, [&] {
    svc::CloseLog(log);
    return TRUE;
  });
}

BOOL WINAPI NtEvtSvc_GetNumberOfEventLogRecords(HANDLE log, PDWORD count) noexcept {
  return StoreResult(count, svc::CountRecords, log);
}

BOOL WINAPI NtEvtSvc_GetOldestEventLogRecord(HANDLE log, PDWORD oldest) noexcept {
  return StoreResult(oldest, svc::OldestRecord, log);
}

BOOL WINAPI NtEvtSvc_ReadEventLogA(HANDLE log, DWORD flags, DWORD recordOffset, LPVOID buffer,
                                   DWORD size, DWORD* bytesRead, DWORD* bytesNeeded) noexcept {
  return ReportingLastError(FALSE, [&] {
    if (!bytesRead || !bytesNeeded || !buffer || !ValidReadFlags(flags)) {
      ThrowWin32(ERROR_INVALID_PARAMETER);
    }
    const svc::ReadOutcome outcome = svc::ReadRecords(log, flags, recordOffset, buffer, size);
    // The counts are reported on success and with the size needed, and left alone otherwise.
    if (outcome.error == ERROR_SUCCESS || outcome.error == ERROR_INSUFFICIENT_BUFFER) {
      *bytesRead = outcome.bytesRead;
      *bytesNeeded = outcome.bytesNeeded;
    }
    if (outcome.error != ERROR_SUCCESS) ThrowWin32(outcome.error);
    return TRUE;
  });
}

BOOL WINAPI NtEvtSvc_ReportEventA(HANDLE log, WORD type, WORD category, DWORD eventId, PSID userSid,
                                  WORD stringCount, DWORD dataSize, LPCSTR* strings,
                                  LPVOID rawData) noexcept {
  return ReportingLastError(FALSE, [&] {
    if (stringCount > 0 && !strings) ThrowWin32(ERROR_INVALID_PARAMETER);
    for (WORD i = 0; i < stringCount; ++i) {
      if (!strings[i]) ThrowWin32(ERROR_INVALID_PARAMETER);
    }
    if (dataSize > 0 && !rawData) ThrowWin32(ERROR_INVALID_PARAMETER);
    svc::Report(log, {type, category, eventId, userSid, stringCount, strings, dataSize, rawData});
    return TRUE;
  });
}

BOOL WINAPI NtEvtSvc_ClearEventLogA(HANDLE log, LPCSTR backupFile) noexcept {
  return ReportingLastError(FALSE, [&] {
    svc::ClearLog(log, backupFile);
    return TRUE;
  });
}

BOOL WINAPI NtEvtSvc_BackupEventLogA(HANDLE log, LPCSTR backupFile) noexcept {
  return ReportingLastError(FALSE, [&] {
    if (!backupFile || !*backupFile) ThrowWin32(ERROR_INVALID_PARAMETER);
    svc::BackupLog(log, backupFile);
    return TRUE;
  });
}

BOOL WINAPI NtEvtSvc_NotifyChangeEventLog(HANDLE log, HANDLE event) noexcept {
  return ReportingLastError(FALSE, [&] {
    svc::NotifyChange(log, event);
    return TRUE;
  });
}

}  // extern "C"

CORVANE_SAME_SIGNATURE(OpenEventLogA);
CORVANE_SAME_SIGNATURE(OpenBackupEventLogA);
CORVANE_SAME_SIGNATURE(RegisterEventSourceA);
CORVANE_SAME_SIGNATURE(CloseEventLog);
CORVANE_SAME_SIGNATURE(DeregisterEventSource);
CORVANE_SAME_SIGNATURE(GetNumberOfEventLogRecords);
CORVANE_SAME_SIGNATURE(GetOldestEventLogRecord);
CORVANE_SAME_SIGNATURE(ReadEventLogA);
CORVANE_SAME_SIGNATURE(ReportEventA);
CORVANE_SAME_SIGNATURE(ClearEventLogA);
CORVANE_SAME_SIGNATURE(BackupEventLogA);
CORVANE_SAME_SIGNATURE(NotifyChangeEventLog);
