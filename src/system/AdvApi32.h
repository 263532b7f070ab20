// The service-control and registry function table.
#pragma once

#include <windows.h>
#include <winsvc.h>

#include "system/NT_vs_95.h"

namespace corvane {

#define CORVANE_SERVICE_ENTRIES(X)                                                      \
  X(ChangeServiceConfigA) X(CloseServiceHandle) X(ControlService) X(CreateServiceA)     \
  X(DeleteService) X(EnumDependentServicesA) X(EnumServicesStatusA)                     \
  X(GetServiceDisplayNameA) X(GetServiceKeyNameA) X(LockServiceDatabase)                \
  X(NotifyBootConfigStatus) X(OpenSCManagerA) X(OpenServiceA) X(QueryServiceConfigA)    \
  X(QueryServiceLockStatusA) X(QueryServiceStatus) X(StartServiceA)                     \
  X(UnlockServiceDatabase) X(RegConnectRegistryA) X(RegOpenKeyExA) X(RegCloseKey)       \
  X(RegEnumKeyExA) X(RegQueryValueExA) X(RegNotifyChangeKeyValue)

class TServiceFunctions : public FunctionTable {
 public:
  CORVANE_SERVICE_ENTRIES(CORVANE_DECLARE_ENTRY)
  template <class Visit>
  void ForEach(Visit&& visit) {
    CORVANE_SERVICE_ENTRIES(CORVANE_VISIT_ENTRY)
  }
};

extern TServiceFunctions ServiceApi;

}  // namespace corvane
