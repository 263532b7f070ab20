// The security-descriptor, ACL and local-security-authority function table, and the counted
// UTF-16 strings that the authority's functions take.
#pragma once

#include <windows.h>
#include <ntsecapi.h>

#include <array>
#include <memory>
#include <string>

#include "system/NT_vs_95.h"

// An old authority function that the platform headers no longer declare; declared here only so
// that its table entry gets the right type. Nothing links against it.
extern "C" NTSTATUS NTAPI LsaEnumeratePrivilegesOfAccount(LSA_HANDLE account,
                                                          PPRIVILEGE_SET* privileges);

namespace corvane {

// Revision 1, one sub-authority: S-1-<authority>-<subAuthority>.
using TWellKnownSid = std::array<BYTE, 12>;
constexpr TWellKnownSid WellKnownSid(BYTE authority, BYTE subAuthority) {
  return {1, 1, 0, 0, 0, 0, 0, authority, subAuthority, 0, 0, 0};
}
// S-1-5-18, the account the system's services run as.
constexpr TWellKnownSid kLocalSystemSid = WellKnownSid(5, 18);

#define CORVANE_SECURITY_ENTRIES(X)                                                     \
  X(GetFileSecurityA) X(MakeAbsoluteSD) X(GetSecurityDescriptorOwner)                   \
  X(SetSecurityDescriptorOwner) X(SetFileSecurityA) X(GetSecurityDescriptorDacl)        \
  X(GetLengthSid) X(InitializeAcl) X(AddAccessDeniedAce) X(AddAccessAllowedAce)         \
  X(AddAuditAccessAce) X(GetAce) X(SetSecurityDescriptorDacl) X(GetAclInformation)      \
  X(SetSecurityDescriptorSacl) X(GetSecurityDescriptorSacl) X(MakeSelfRelativeSD)       \
  X(InitializeSecurityDescriptor) X(LsaOpenPolicy) X(LsaEnumerateTrustedDomains)        \
  X(LsaClose) X(LsaFreeMemory) X(LsaQueryInformationPolicy) X(LsaNtStatusToWinError)    \
  X(LsaLookupSids) X(LsaEnumerateAccountsWithUserRight) X(LsaEnumerateAccountRights)    \
  X(LsaEnumeratePrivilegesOfAccount) X(LsaAddAccountRights) X(LsaRemoveAccountRights)   \
  X(RegGetKeySecurity) X(RegSetKeySecurity) X(LookupPrivilegeDisplayNameW)

class TSecurityFunctions : public FunctionTable {
 public:
  CORVANE_SECURITY_ENTRIES(CORVANE_DECLARE_ENTRY)
  template <class Visit>
  void ForEach(Visit&& visit) {
    CORVANE_SECURITY_ENTRIES(CORVANE_VISIT_ENTRY)
  }
};

extern TSecurityFunctions SecurityApi;

// A counted UTF-16 string together with the characters it points at, which it owns.
class TLsaString {
 public:
  TLsaString() = default;
  TLsaString(const TLsaString&) = delete;
  TLsaString& operator=(const TLsaString&) = delete;

  LSA_UNICODE_STRING* Get() { return &value_; }
  const LSA_UNICODE_STRING& Value() const { return value_; }

 private:
  friend void MakeLsaString(const std::string& text, TLsaString& out);
  LSA_UNICODE_STRING value_{0, 0, nullptr};
  std::unique_ptr<WCHAR[]> chars_;
};

// Fills `out` from 8-bit text: 2n + 2 zeroed bytes for n characters, length in bytes of the
// converted text, maximum length 2n + 2; an empty text gives a null pointer and zero lengths.
// Text too long for the 16-bit lengths is refused with an error.
void MakeLsaString(const std::string& text, TLsaString& out);

}  // namespace corvane
