// The other entries of the system tables that the control calls, so that it can bind every
// table to this one library: registry, account, security-authority and network-management
// functions. Machines, keys, handles and buffers of the simulated network are served by its
// functions (network/win); the rest passes through to the system's own functions for the local
// machine, and a machine that cannot be reached fails as the system fails for an unreachable one.
#include <windows.h>
// After windows.h:
#include <lm.h>
#include <ntsecapi.h>

#include "Machine.h"
#include "ExportSignature.h"
#include "RemoteAccounts.h"
#include "RemoteNetApi.h"
#include "RemoteRegistry.h"
#include "Win32Error.h"

using corvane::evtsvc::FindMachine;
using corvane::evtsvc::ReportingLastError;
using corvane::evtsvc::ReturningError;
using corvane::evtsvc::ReturningStatus;
using corvane::evtsvc::ThrowWin32;

namespace {

constexpr NTSTATUS kRpcServerUnavailable = static_cast<NTSTATUS>(0xC0020017L);  // RPC_NT_SERVER_UNAVAILABLE

bool Reachable(LPCSTR machine) { return FindMachine(machine) != nullptr; }
bool Reachable(LPCWSTR machine) { return FindMachine(machine) != nullptr; }

}  // namespace

extern "C" {

LSTATUS WINAPI NtEvtSvc_RegConnectRegistryA(LPCSTR machine, HKEY key, PHKEY result) noexcept {
  if (auto simulated = corvane::network::RemoteConnectRegistry(machine, key, result)) return *simulated;
  return static_cast<LSTATUS>(ReturningError([&]() -> DWORD {
    if (!Reachable(machine)) return ERROR_BAD_NETPATH;
    return static_cast<DWORD>(RegConnectRegistryA(nullptr, key, result));
  }));
}

LSTATUS WINAPI NtEvtSvc_RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access,
                                      PHKEY result) noexcept {
  if (auto simulated = corvane::network::RemoteOpenKey(key, subKey, options, access, result)) return *simulated;
  return RegOpenKeyExA(key, subKey, options, access, result);
}

LSTATUS WINAPI NtEvtSvc_RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength,
                                      LPDWORD reserved, LPSTR className, LPDWORD classLength,
                                      PFILETIME lastWrite) noexcept {
  if (auto simulated = corvane::network::RemoteEnumKey(key, index, name, nameLength, className, classLength,
                                                      lastWrite)) {
    return *simulated;
  }
  return RegEnumKeyExA(key, index, name, nameLength, reserved, className, classLength, lastWrite);
}

LSTATUS WINAPI NtEvtSvc_RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type,
                                         LPBYTE data, LPDWORD size) noexcept {
  if (auto simulated = corvane::network::RemoteQueryValue(key, name, type, data, size)) return *simulated;
  return RegQueryValueExA(key, name, reserved, type, data, size);
}

LSTATUS WINAPI NtEvtSvc_RegCloseKey(HKEY key) noexcept {
  if (auto simulated = corvane::network::RemoteCloseKey(key)) return *simulated;
  return RegCloseKey(key);
}

// A simulated machine's registry never changes while it is used, and tells no one.
LSTATUS WINAPI NtEvtSvc_RegNotifyChangeKeyValue(HKEY key, BOOL subtree, DWORD filter, HANDLE event,
                                                BOOL asynchronous) noexcept {
  if (corvane::network::IsRemoteKey(key)) return ERROR_INVALID_HANDLE;
  return RegNotifyChangeKeyValue(key, subtree, filter, event, asynchronous);
}

BOOL WINAPI NtEvtSvc_LookupAccountNameA(LPCSTR system, LPCSTR account, PSID sid, LPDWORD sidSize,
                                        LPSTR domain, LPDWORD domainSize,
                                        PSID_NAME_USE use) noexcept {
  if (auto simulated = corvane::network::RemoteLookupAccountName(system, account, sid, sidSize, domain,
                                                                domainSize, use)) {
    return *simulated;
  }
  return ReportingLastError(FALSE, [&] {
    if (!Reachable(system)) ThrowWin32(RPC_S_SERVER_UNAVAILABLE);
    return LookupAccountNameA(nullptr, account, sid, sidSize, domain, domainSize, use);
  });
}

BOOL WINAPI NtEvtSvc_LookupAccountSidA(LPCSTR system, PSID sid, LPSTR name, LPDWORD nameSize,
                                       LPSTR domain, LPDWORD domainSize, PSID_NAME_USE use) noexcept {
  if (auto simulated = corvane::network::RemoteLookupAccountSid(system, sid, name, nameSize, domain,
                                                               domainSize, use)) {
    return *simulated;
  }
  return ReportingLastError(FALSE, [&] {
    if (!Reachable(system)) ThrowWin32(RPC_S_SERVER_UNAVAILABLE);
    return LookupAccountSidA(nullptr, sid, name, nameSize, domain, domainSize, use);
  });
}

BOOL WINAPI NtEvtSvc_EqualSid(PSID first, PSID second) noexcept { return EqualSid(first, second); }

DWORD WINAPI NtEvtSvc_GetLengthSid(PSID sid) noexcept { return GetLengthSid(sid); }

NTSTATUS NTAPI NtEvtSvc_LsaOpenPolicy(PLSA_UNICODE_STRING system, PLSA_OBJECT_ATTRIBUTES attributes,
                                      ACCESS_MASK access, PLSA_HANDLE policy) noexcept {
  if (auto simulated = corvane::network::RemoteLsaOpenPolicy(system, access, policy)) return *simulated;
  return ReturningStatus([&] {
    if (system && system->Buffer && system->Length > 0) {
      const std::wstring_view name(system->Buffer, system->Length / sizeof(WCHAR));
      if (!FindMachine(name)) return kRpcServerUnavailable;
    }
    return LsaOpenPolicy(nullptr, attributes, access, policy);
  });
}

NTSTATUS NTAPI NtEvtSvc_LsaQueryInformationPolicy(LSA_HANDLE policy, POLICY_INFORMATION_CLASS kind,
                                                  PVOID* buffer) noexcept {
  if (auto simulated = corvane::network::RemoteLsaQueryInformationPolicy(policy, kind, buffer)) return *simulated;
  return LsaQueryInformationPolicy(policy, kind, buffer);
}

NTSTATUS NTAPI NtEvtSvc_LsaFreeMemory(PVOID buffer) noexcept {
  if (auto simulated = corvane::network::RemoteLsaFreeMemory(buffer)) return *simulated;
  return LsaFreeMemory(buffer);
}

NTSTATUS NTAPI NtEvtSvc_LsaClose(LSA_HANDLE policy) noexcept {
  if (auto simulated = corvane::network::RemoteLsaClose(policy)) return *simulated;
  return LsaClose(policy);
}

ULONG NTAPI NtEvtSvc_LsaNtStatusToWinError(NTSTATUS status) noexcept {
  return LsaNtStatusToWinError(status);
}

NET_API_STATUS NET_API_FUNCTION NtEvtSvc_NetServerEnum(LMCSTR server, DWORD level, LPBYTE* buffer,
                                                       DWORD maxLength, LPDWORD read, LPDWORD total,
                                                       DWORD type, LMCSTR domain,
                                                       LPDWORD resume) noexcept {
  if (auto simulated = corvane::network::RemoteNetServerEnum(server, level, buffer, maxLength, read, total,
                                                            type, domain, resume)) {
    return *simulated;
  }
  return ReturningError([&]() -> DWORD {
    if (!Reachable(server)) return ERROR_BAD_NETPATH;
    return NetServerEnum(nullptr, level, buffer, maxLength, read, total, type, domain, resume);
  });
}

NET_API_STATUS NET_API_FUNCTION NtEvtSvc_NetLocalGroupEnum(LPCWSTR server, DWORD level, LPBYTE* buffer,
                                                           DWORD maxLength, LPDWORD read,
                                                           LPDWORD total, PDWORD_PTR resume) noexcept {
  if (auto simulated = corvane::network::RemoteNetLocalGroupEnum(server, level, buffer, maxLength, read,
                                                                total, resume)) {
    return *simulated;
  }
  return ReturningError([&]() -> DWORD {
    if (!Reachable(server)) return ERROR_BAD_NETPATH;
    return NetLocalGroupEnum(nullptr, level, buffer, maxLength, read, total, resume);
  });
}

NET_API_STATUS NET_API_FUNCTION NtEvtSvc_NetGroupEnum(LPCWSTR server, DWORD level, LPBYTE* buffer,
                                                      DWORD maxLength, LPDWORD read, LPDWORD total,
                                                      PDWORD_PTR resume) noexcept {
  if (auto simulated = corvane::network::RemoteNetGroupEnum(server, level, buffer, maxLength, read, total,
                                                           resume)) {
    return *simulated;
  }
  return ReturningError([&]() -> DWORD {
    if (!Reachable(server)) return ERROR_BAD_NETPATH;
    return NetGroupEnum(nullptr, level, buffer, maxLength, read, total, resume);
  });
}

NET_API_STATUS NET_API_FUNCTION NtEvtSvc_NetUserEnum(LPCWSTR server, DWORD level, DWORD filter,
                                                     LPBYTE* buffer, DWORD maxLength, LPDWORD read,
                                                     LPDWORD total, LPDWORD resume) noexcept {
  if (auto simulated = corvane::network::RemoteNetUserEnum(server, level, filter, buffer, maxLength, read,
                                                          total, resume)) {
    return *simulated;
  }
  return ReturningError([&]() -> DWORD {
    if (!Reachable(server)) return ERROR_BAD_NETPATH;
    return NetUserEnum(nullptr, level, filter, buffer, maxLength, read, total, resume);
  });
}

NET_API_STATUS NET_API_FUNCTION NtEvtSvc_NetGetDCName(LPCWSTR server, LPCWSTR domain,
                                                      LPBYTE* buffer) noexcept {
  if (auto simulated = corvane::network::RemoteNetGetDCName(server, domain, buffer)) return *simulated;
  return ReturningError([&]() -> DWORD {
    if (!Reachable(server)) return ERROR_BAD_NETPATH;
    return NetGetDCName(nullptr, domain, buffer);
  });
}

NET_API_STATUS NET_API_FUNCTION NtEvtSvc_NetGetAnyDCName(LPCWSTR server, LPCWSTR domain,
                                                         LPBYTE* buffer) noexcept {
  if (auto simulated = corvane::network::RemoteNetGetAnyDCName(server, domain, buffer)) return *simulated;
  return ReturningError([&]() -> DWORD {
    if (!Reachable(server)) return ERROR_BAD_NETPATH;
    return NetGetAnyDCName(nullptr, domain, buffer);
  });
}

NET_API_STATUS NET_API_FUNCTION NtEvtSvc_NetApiBufferFree(LPVOID buffer) noexcept {
  if (auto simulated = corvane::network::RemoteNetApiBufferFree(buffer)) return *simulated;
  return NetApiBufferFree(buffer);
}

}  // extern "C"

CORVANE_SAME_SIGNATURE(RegConnectRegistryA);
CORVANE_SAME_SIGNATURE(RegOpenKeyExA);
CORVANE_SAME_SIGNATURE(RegEnumKeyExA);
CORVANE_SAME_SIGNATURE(RegQueryValueExA);
CORVANE_SAME_SIGNATURE(RegCloseKey);
CORVANE_SAME_SIGNATURE(RegNotifyChangeKeyValue);
CORVANE_SAME_SIGNATURE(LookupAccountNameA);
CORVANE_SAME_SIGNATURE(LookupAccountSidA);
CORVANE_SAME_SIGNATURE(EqualSid);
CORVANE_SAME_SIGNATURE(GetLengthSid);
CORVANE_SAME_SIGNATURE(LsaOpenPolicy);
CORVANE_SAME_SIGNATURE(LsaQueryInformationPolicy);
CORVANE_SAME_SIGNATURE(LsaFreeMemory);
CORVANE_SAME_SIGNATURE(LsaClose);
CORVANE_SAME_SIGNATURE(LsaNtStatusToWinError);
CORVANE_SAME_SIGNATURE(NetServerEnum);
CORVANE_SAME_SIGNATURE(NetLocalGroupEnum);
CORVANE_SAME_SIGNATURE(NetGroupEnum);
CORVANE_SAME_SIGNATURE(NetUserEnum);
CORVANE_SAME_SIGNATURE(NetGetDCName);
CORVANE_SAME_SIGNATURE(NetGetAnyDCName);
CORVANE_SAME_SIGNATURE(NetApiBufferFree);
