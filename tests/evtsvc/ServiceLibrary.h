// The service DLL as the control sees it: loaded by path, its exports typed from the system's
// own declarations.
#pragma once

#include <windows.h>
// After windows.h:
#include <lm.h>
#include <ntsecapi.h>

namespace corvane::evtsvc::test {

struct TServiceLibrary {
  // Loads the DLL built next to the tests once per process; fails the test program when the
  // DLL or one of its exports is missing.
  static const TServiceLibrary& Get();

  HMODULE module = nullptr;
#define CORVANE_SERVICE_FUNCTION(name) decltype(&::name) name = nullptr
  CORVANE_SERVICE_FUNCTION(OpenEventLogA);
  CORVANE_SERVICE_FUNCTION(OpenBackupEventLogA);
  CORVANE_SERVICE_FUNCTION(RegisterEventSourceA);
  CORVANE_SERVICE_FUNCTION(CloseEventLog);
  CORVANE_SERVICE_FUNCTION(DeregisterEventSource);
  CORVANE_SERVICE_FUNCTION(GetNumberOfEventLogRecords);
  CORVANE_SERVICE_FUNCTION(GetOldestEventLogRecord);
  CORVANE_SERVICE_FUNCTION(ReadEventLogA);
  CORVANE_SERVICE_FUNCTION(ReportEventA);
  CORVANE_SERVICE_FUNCTION(ClearEventLogA);
  CORVANE_SERVICE_FUNCTION(BackupEventLogA);
  CORVANE_SERVICE_FUNCTION(NotifyChangeEventLog);
  CORVANE_SERVICE_FUNCTION(RegConnectRegistryA);
  CORVANE_SERVICE_FUNCTION(RegOpenKeyExA);
  CORVANE_SERVICE_FUNCTION(RegEnumKeyExA);
  CORVANE_SERVICE_FUNCTION(RegQueryValueExA);
  CORVANE_SERVICE_FUNCTION(RegCloseKey);
  CORVANE_SERVICE_FUNCTION(LookupAccountNameA);
  CORVANE_SERVICE_FUNCTION(LookupAccountSidA);
  CORVANE_SERVICE_FUNCTION(EqualSid);
  CORVANE_SERVICE_FUNCTION(GetLengthSid);
  CORVANE_SERVICE_FUNCTION(LsaOpenPolicy);
  CORVANE_SERVICE_FUNCTION(LsaQueryInformationPolicy);
  CORVANE_SERVICE_FUNCTION(LsaFreeMemory);
  CORVANE_SERVICE_FUNCTION(LsaClose);
  CORVANE_SERVICE_FUNCTION(LsaNtStatusToWinError);
  CORVANE_SERVICE_FUNCTION(NetServerEnum);
  CORVANE_SERVICE_FUNCTION(NetLocalGroupEnum);
  CORVANE_SERVICE_FUNCTION(NetGroupEnum);
  CORVANE_SERVICE_FUNCTION(NetUserEnum);
  CORVANE_SERVICE_FUNCTION(NetGetDCName);
  CORVANE_SERVICE_FUNCTION(NetGetAnyDCName);
  CORVANE_SERVICE_FUNCTION(NetApiBufferFree);
#undef CORVANE_SERVICE_FUNCTION
};

}  // namespace corvane::evtsvc::test
