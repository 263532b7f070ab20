// The network-management functions of the service's tables on simulated machines: the browse
// list, the users, global and local groups of a machine's account database, and the domain
// controllers. The local machine's accounts and groups are the system's; when the network gives
// the local machine a domain, its browse list and controllers are the network's.
//
// Each function returns nullopt when the call is not for the simulation, and the caller passes
// it on to the system.
#pragma once

#include <windows.h>
// After windows.h:
#include <lm.h>

#include <optional>

namespace corvane::network {

std::optional<NET_API_STATUS> RemoteNetServerEnum(LMCSTR server, DWORD level, LPBYTE* buffer, DWORD maxLength,
                                                  LPDWORD read, LPDWORD total, DWORD type, LMCSTR domain,
                                                  LPDWORD resume) noexcept;
std::optional<NET_API_STATUS> RemoteNetUserEnum(LPCWSTR server, DWORD level, DWORD filter, LPBYTE* buffer,
                                                DWORD maxLength, LPDWORD read, LPDWORD total,
                                                LPDWORD resume) noexcept;
std::optional<NET_API_STATUS> RemoteNetGroupEnum(LPCWSTR server, DWORD level, LPBYTE* buffer, DWORD maxLength,
                                                 LPDWORD read, LPDWORD total, PDWORD_PTR resume) noexcept;
std::optional<NET_API_STATUS> RemoteNetLocalGroupEnum(LPCWSTR server, DWORD level, LPBYTE* buffer,
                                                      DWORD maxLength, LPDWORD read, LPDWORD total,
                                                      PDWORD_PTR resume) noexcept;
std::optional<NET_API_STATUS> RemoteNetGetDCName(LPCWSTR server, LPCWSTR domain, LPBYTE* buffer) noexcept;
std::optional<NET_API_STATUS> RemoteNetGetAnyDCName(LPCWSTR server, LPCWSTR domain, LPBYTE* buffer) noexcept;
std::optional<NET_API_STATUS> RemoteNetApiBufferFree(LPVOID buffer) noexcept;

}  // namespace corvane::network
