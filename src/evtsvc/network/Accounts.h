// The accounts file of a simulated machine ("accounts.txt"): who the machine is in its
// network and which accounts its account database holds. UTF-8 text (a byte-order mark is
// allowed), one statement a line, blank lines and lines starting with '#' or ';' ignored:
//
//   sid S-1-5-21-1111-2222-3333     the machine's SID (on a controller: the domain's SID)
//   role controller                 controller | server | workstation
//   domain CORVANE                  the domain the machine belongs to (required on a controller)
//   workgroup WORKGROUP             instead of a domain, for a machine in no domain
//   server-type 0x9103              optional: the server-type bits it announces, replacing the
//                                   role's defaults
//   comment Accounting server       optional: the comment it announces
//   user 1001 normal Alice          a user: its RID, its kind, its name
//   group 513 None                  a global group: RID and name
//   local-group 1010 Log Readers    a local group of the machine's own account domain
//   builtin-group 544 Administrators  a local group of the built-in domain (S-1-5-32)
//
// Kinds of users, as the account-kind filter of the user enumeration names them:
// normal, temp-duplicate, interdomain-trust, workstation-trust, server-trust.
// Names run to the end of the line (they may hold spaces) and may not hold " / \ [ ] : | < > + = ; , ? *.
// RIDs and names are unique among the users, groups and local groups of the machine, and among
// its built-in groups.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Sid.h"

namespace corvane::network {

enum class TRole { Controller, Server, Workstation };

// The account-kind bits of the user enumeration's filter.
constexpr uint32_t kFilterTempDuplicate = 0x1;
constexpr uint32_t kFilterNormal = 0x2;
constexpr uint32_t kFilterInterdomainTrust = 0x8;
constexpr uint32_t kFilterWorkstationTrust = 0x10;
constexpr uint32_t kFilterServerTrust = 0x20;

// Server-type bits announced to the browser.
constexpr uint32_t kServerTypeWorkstation = 0x1;
constexpr uint32_t kServerTypeServer = 0x2;
constexpr uint32_t kServerTypeDomainController = 0x8;
constexpr uint32_t kServerTypeTimeSource = 0x20;
constexpr uint32_t kServerTypeDomainMember = 0x100;
constexpr uint32_t kServerTypeNt = 0x1000;
constexpr uint32_t kServerTypeServerNt = 0x8000;
constexpr uint32_t kServerTypeDomainEnum = 0x80000000;
constexpr uint32_t kServerTypeAll = 0xFFFFFFFF;

struct TAccount {
  uint32_t rid = 0;
  std::u16string name;
};

struct TUserAccount : TAccount {
  uint32_t kind = kFilterNormal;  // one kFilter* bit
};

struct Accounts {
  Sid sid;
  TRole role = TRole::Workstation;
  std::u16string domain;     // domain or workgroup name
  bool inDomain = false;     // whether `domain` names a domain rather than a workgroup
  uint32_t serverType = 0;
  std::u16string comment;
  std::vector<TUserAccount> users;    // in RID order
  std::vector<TAccount> groups;       // in RID order
  std::vector<TAccount> localGroups;  // in RID order
  std::vector<TAccount> builtinGroups;  // in RID order
};

// The bits a machine of that role announces unless its file says otherwise.
uint32_t DefaultServerType(TRole role, bool inDomain);

// Throws EOleSysError (ERROR_INVALID_DATA) naming the line at fault.
Accounts ParseAccounts(const uint8_t* bytes, size_t size);

}  // namespace corvane::network
