// The account and security-authority functions of the service's tables on simulated machines.
// A simulated machine names SIDs from its accounts file, its domain's and the well-known ones.
// The local machine keeps the system's accounts; when the network gives it a domain, what the
// system cannot name is asked of that domain, and its policy reports that domain.
//
// Each function returns nullopt when the call is not for the simulation, and the caller passes
// it on to the system.
#pragma once

#include <windows.h>
// After windows.h:
#include <ntsecapi.h>

#include <optional>

namespace corvane::network {

std::optional<BOOL> RemoteLookupAccountSid(LPCSTR system, PSID sid, LPSTR name, LPDWORD nameSize,
                                           LPSTR domain, LPDWORD domainSize, PSID_NAME_USE use) noexcept;
std::optional<BOOL> RemoteLookupAccountName(LPCSTR system, LPCSTR account, PSID sid, LPDWORD sidSize,
                                            LPSTR domain, LPDWORD domainSize, PSID_NAME_USE use) noexcept;

std::optional<NTSTATUS> RemoteLsaOpenPolicy(PLSA_UNICODE_STRING system, ACCESS_MASK access,
                                            PLSA_HANDLE policy) noexcept;
std::optional<NTSTATUS> RemoteLsaQueryInformationPolicy(LSA_HANDLE policy, POLICY_INFORMATION_CLASS kind,
                                                        PVOID* buffer) noexcept;
std::optional<NTSTATUS> RemoteLsaFreeMemory(PVOID buffer) noexcept;
std::optional<NTSTATUS> RemoteLsaClose(LSA_HANDLE policy) noexcept;

}  // namespace corvane::network
