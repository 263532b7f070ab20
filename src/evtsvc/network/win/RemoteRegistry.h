// The registry functions of the service's tables on simulated machines. RegConnectRegistryA
// gives a key of the machine's HKEY_LOCAL_MACHINE (the only root a simulated machine has);
// its keys are handles of this module, whose values lie in a range the system's keys never
// take, and every registry entry of the service asks IsRemoteKey first.
//
// Each function returns nullopt when the call is not for a simulated machine or key, and the
// caller passes it on to the system.
#pragma once

#include <windows.h>

#include <optional>

namespace corvane::network {

bool IsRemoteKey(HKEY key) noexcept;

std::optional<LSTATUS> RemoteConnectRegistry(LPCSTR machine, HKEY root, PHKEY result) noexcept;
std::optional<LSTATUS> RemoteOpenKey(HKEY key, LPCSTR subKey, DWORD options, REGSAM access,
                                     PHKEY result) noexcept;
std::optional<LSTATUS> RemoteEnumKey(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength,
                                     LPSTR className, LPDWORD classLength, PFILETIME lastWrite) noexcept;
std::optional<LSTATUS> RemoteQueryValue(HKEY key, LPCSTR name, LPDWORD type, LPBYTE data,
                                        LPDWORD size) noexcept;
std::optional<LSTATUS> RemoteCloseKey(HKEY key) noexcept;

}  // namespace corvane::network
