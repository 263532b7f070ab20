// Platform test, the event-log and account function table, and the string forms that the
// network functions take on either platform family.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "framework/AnsiText.h"
#include "system/TableEntry.h"

namespace corvane {

#define CORVANE_EVENTLOG_ENTRIES(X)                                                     \
  X(LookupAccountNameA) X(LookupAccountSidA) X(LookupPrivilegeValueA)                   \
  X(LookupPrivilegeNameA) X(EqualSid) X(AllocateAndInitializeSid) X(BackupEventLogA)    \
  X(ClearEventLogA) X(CloseEventLog) X(DeregisterEventSource)                           \
  X(GetNumberOfEventLogRecords) X(GetOldestEventLogRecord) X(NotifyChangeEventLog)      \
  X(OpenBackupEventLogA) X(OpenEventLogA) X(ReadEventLogA) X(RegisterEventSourceA)      \
  X(ReportEventA)

#define CORVANE_DECLARE_ENTRY(name) TableEntry<decltype(&::name)> name{#name, this};
#define CORVANE_VISIT_ENTRY(name) visit(static_cast<TableEntryBase&>(name));

class TEventLogFunctions : public FunctionTable {
 public:
  CORVANE_EVENTLOG_ENTRIES(CORVANE_DECLARE_ENTRY)
  template <class Visit>
  void ForEach(Visit&& visit) {
    CORVANE_EVENTLOG_ENTRIES(CORVANE_VISIT_ENTRY)
  }
};

extern TEventLogFunctions EventLogApi;

// True when the system reports the Windows NT platform. Asked anew at every call.
bool IsWindowsNT();

// The export name of a network-management function: with an "A" on the Windows 95 family,
// except NetApiBufferFree.
std::string NetFunctionName(const std::string& name);

// Writes `text` into `buffer` of `size` bytes as the network functions take it: UTF-16 on NT,
// 8-bit on the Windows 95 family; always terminated. Text that does not fit is cut at a
// character boundary.
void ToNetString(const std::string& text, void* buffer, size_t size);

// Reads a zero-terminated string returned by a network function; empty for a null pointer.
// Characters the code page cannot hold come out as the system's A functions would give them.
std::string FromNetString(const void* text);

}  // namespace corvane
