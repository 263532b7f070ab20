// The number of threads this process has now: tests of wait threads compare it before and after.
#pragma once

#include <windows.h>

#include <tlhelp32.h>

#include "framework/WinHandle.h"

namespace corvane {

inline int ThreadsOfThisProcess() {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  const TUniqueHandle owner(snapshot);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  int count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  }
  return count;
}

}  // namespace corvane
