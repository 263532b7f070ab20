// The event-log operations behind the exported A functions. Arguments arrive checked for
// presence by the exports; everything else (handles, names, files, sizes) is checked here.
// Failures throw (Win32Error.h).
#pragma once

#include <windows.h>

namespace corvane::evtsvc {

HANDLE OpenLog(const char* server, const char* name);
HANDLE OpenBackupLog(const char* server, const char* file);
HANDLE RegisterSource(const char* server, const char* source);
void CloseLog(HANDLE handle);

DWORD CountRecords(HANDLE handle);
DWORD OldestRecord(HANDLE handle);

struct ReadOutcome {
  DWORD error;        // ERROR_SUCCESS, ERROR_INSUFFICIENT_BUFFER or ERROR_HANDLE_EOF
  DWORD bytesRead;
  DWORD bytesNeeded;  // with ERROR_INSUFFICIENT_BUFFER: the size of the first record
};
ReadOutcome ReadRecords(HANDLE handle, DWORD flags, DWORD recordNumber, void* buffer, DWORD size);

struct TEventToReport {
  WORD type;
  WORD category;
  DWORD id;
  PSID sid;
  WORD stringCount;
  const char* const* strings;
  DWORD dataSize;
  const void* data;
};
void Report(HANDLE handle, const TEventToReport& event);

void ClearLog(HANDLE handle, const char* backupFile);
void BackupLog(HANDLE handle, const char* backupFile);
void NotifyChange(HANDLE handle, HANDLE event);

}  // namespace corvane::evtsvc
