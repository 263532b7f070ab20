#include "ServiceLibrary.h"

#include <cstdio>
#include <cstdlib>

namespace corvane::evtsvc::test {
namespace {

template <typename Function>
void Bind(HMODULE module, Function& entry, const char* name) {
  entry = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  if (!entry) {
    std::fprintf(stderr, "ntevtsvc.dll does not export %s\n", name);
    std::exit(3);
  }
}

TServiceLibrary Load() {
  TServiceLibrary library;
  library.module = LoadLibraryA(NTEVTSVC_PATH);
  if (!library.module) {
    std::fprintf(stderr, "cannot load %s: error %lu\n", NTEVTSVC_PATH, GetLastError());
    std::exit(3);
  }
#define CORVANE_BIND(name) Bind(library.module, library.name, #name)
  CORVANE_BIND(OpenEventLogA);
  CORVANE_BIND(OpenBackupEventLogA);
  CORVANE_BIND(RegisterEventSourceA);
  CORVANE_BIND(CloseEventLog);
  CORVANE_BIND(DeregisterEventSource);
  CORVANE_BIND(GetNumberOfEventLogRecords);
  CORVANE_BIND(GetOldestEventLogRecord);
  CORVANE_BIND(ReadEventLogA);
  CORVANE_BIND(ReportEventA);
  CORVANE_BIND(ClearEventLogA);
  CORVANE_BIND(BackupEventLogA);
  CORVANE_BIND(NotifyChangeEventLog);
  CORVANE_BIND(RegConnectRegistryA);
  CORVANE_BIND(RegOpenKeyExA);
  CORVANE_BIND(RegEnumKeyExA);
  CORVANE_BIND(RegQueryValueExA);
  CORVANE_BIND(RegCloseKey);
  CORVANE_BIND(LookupAccountNameA);
  CORVANE_BIND(LookupAccountSidA);
  CORVANE_BIND(EqualSid);
  CORVANE_BIND(GetLengthSid);
  CORVANE_BIND(LsaOpenPolicy);
  CORVANE_BIND(LsaQueryInformationPolicy);
  CORVANE_BIND(LsaFreeMemory);
  CORVANE_BIND(LsaClose);
  CORVANE_BIND(LsaNtStatusToWinError);
  CORVANE_BIND(NetServerEnum);
  CORVANE_BIND(NetLocalGroupEnum);
  CORVANE_BIND(NetGroupEnum);
  CORVANE_BIND(NetUserEnum);
  CORVANE_BIND(NetGetDCName);
  CORVANE_BIND(NetGetAnyDCName);
  CORVANE_BIND(NetApiBufferFree);
#undef CORVANE_BIND
  return library;
}

}  // namespace

const TServiceLibrary& TServiceLibrary::Get() {
  static const TServiceLibrary library = Load();
  return library;
}

}  // namespace corvane::evtsvc::test
