// The network queries of the component base: domain controllers, the primary domain, and the
// listings of servers, groups, users and well-known accounts.
#include <windows.h>
#include <lm.h>
#include <ntsecapi.h>

#include <array>

#include "framework/AsciiText.h"
#include "framework/UniqueResource.h"
#include "system/ErrorText.h"
#include "system/NTCommon.h"
#include "system/NT_vs_95.h"
#include "system/NetApi32.h"
#include "system/Security.h"
#include "system/TextLimits.h"

namespace corvane {

namespace {

constexpr DWORD kPreferredMaxLength = 0x10000;
constexpr size_t kNetNameSize = 512;
constexpr DWORD kAllServerTypes = 0xFFFFFFFF;

// A buffer returned by a network-management function; freed with NetApiBufferFree.
struct TNetBufferTraits {
  static LPBYTE Invalid() noexcept { return nullptr; }
  static bool Close(LPBYTE buffer) noexcept {
    return NetApi.NetApiBufferFree && NetApi.NetApiBufferFree(buffer) == NERR_Success;
  }
};
using TNetBuffer = TUniqueResource<LPBYTE, TNetBufferTraits>;

// A policy handle of the local security authority; closed with LsaClose.
struct TLsaPolicyTraits {
  static LSA_HANDLE Invalid() noexcept { return nullptr; }
  static bool Close(LSA_HANDLE handle) noexcept {
    return SecurityApi.LsaClose && SecurityApi.LsaClose(handle) == 0;
  }
};
using TLsaPolicy = TUniqueResource<LSA_HANDLE, TLsaPolicyTraits>;

// Memory returned by the local security authority; freed with LsaFreeMemory.
struct TLsaMemoryTraits {
  static PVOID Invalid() noexcept { return nullptr; }
  static bool Close(PVOID memory) noexcept {
    return SecurityApi.LsaFreeMemory && SecurityApi.LsaFreeMemory(memory) == 0;
  }
};
using TLsaMemory = TUniqueResource<PVOID, TLsaMemoryTraits>;

// A machine or domain name as the network functions take it. A name they would not read as
// given is refused, named by `what`, rather than cut to the buffer.
struct TNetName {
  TNetName(const std::string& text, std::string_view what) {
    RequireSystemText(text, kMaxMachineName, what);
    ToNetString(text, buffer.data(), buffer.size());
  }
  LPCWSTR Get() const { return reinterpret_cast<LPCWSTR>(buffer.data()); }
  alignas(WCHAR) std::array<BYTE, kNetNameSize> buffer{};
};

constexpr std::array<TWellKnownSid, 11> kWellKnownSids = {
    WellKnownSid(5, 1),  WellKnownSid(5, 2),  WellKnownSid(5, 3),  WellKnownSid(5, 4),
    WellKnownSid(5, 6),  WellKnownSid(5, 7),  WellKnownSid(5, 9),  kLocalSystemSid,
    WellKnownSid(5, 32), WellKnownSid(1, 0),  WellKnownSid(3, 0)};

TAccountLookup accountLookup = nullptr;

// The paging loop of the group and user enumerations. `call` makes one system call with the
// resume handle and returns its result, the batch, and the counts. Calls go on while the list
// holds fewer names than the first call's total, the system reported more data, and the last
// call delivered names: a total that was only an estimate must not restart the enumeration
// from the beginning, nor may an empty page repeat forever.
template <class Resume, class Info, class Call>
void EnumerateAccounts(const TNTPersistent& component, TStringList& list, Call call,
                       LPWSTR Info::*name) {
  Resume resume = 0;
  DWORD firstTotal = 0;
  bool first = true;
  for (;;) {
    TNetBuffer batch;
    DWORD read = 0;
    DWORD total = 0;
    const NET_API_STATUS result = call(batch.put(), &read, &total, &resume);
    if (result == ERROR_HANDLE_EOF) return;
    if (result != NERR_Success && result != ERROR_MORE_DATA) {
      if (component.IsDesignMode()) RaiseNetError(static_cast<int32_t>(result));
      return;
    }
    if (first) {
      firstTotal = total;
      first = false;
    }
    const Info* entries = reinterpret_cast<const Info*>(batch.get());
    if (!entries) read = 0;
    for (DWORD i = 0; i < read; ++i) list.Add(FromNetString(entries[i].*name));
    if (result != ERROR_MORE_DATA || read == 0) return;
    if (static_cast<DWORD>(list.Count()) >= firstTotal) return;
  }
}

std::unique_ptr<TStringList> ListServers(const TNTPersistent& component, const TNetName& server,
                                         uint32_t serverType) {
  auto list = std::make_unique<TStringList>();
  DWORD resume = 0;
  for (;;) {
    TNetBuffer batch;
    DWORD read = 0;
    DWORD total = 0;
    const NET_API_STATUS result =
        NetApi.NetServerEnum(server.Get(), 100, batch.put(), kPreferredMaxLength, &read,
                             &total, serverType, nullptr, &resume);
    if (result != NERR_Success && result != ERROR_MORE_DATA) {
      if (component.IsDesignMode()) RaiseNetError(static_cast<int32_t>(result));
      break;
    }
    const auto* entries = reinterpret_cast<const SERVER_INFO_100*>(batch.get());
    if (!entries) read = 0;
    for (DWORD i = 0; i < read; ++i) list->Add(FromNetString(entries[i].sv100_name));
    if (read == 0 || resume == 0) break;
  }
  return list;
}

std::unique_ptr<TStringList> ListLocalGroups(const TNTPersistent& component,
                                             const TNetName& server) {
  auto list = std::make_unique<TStringList>();
  // The Windows 95 family has no local groups.
  if (!IsWindowsNT()) return list;
  EnumerateAccounts<DWORD_PTR>(
      component, *list,
      [&](LPBYTE* buffer, LPDWORD read, LPDWORD total, PDWORD_PTR resume) {
        return NetApi.NetLocalGroupEnum(server.Get(), 0, buffer, kPreferredMaxLength, read,
                                        total, resume);
      },
      &LOCALGROUP_INFO_0::lgrpi0_name);
  return list;
}

std::unique_ptr<TStringList> ListGlobalGroups(const TNTPersistent& component,
                                              const TNetName& server) {
  auto list = std::make_unique<TStringList>();
  EnumerateAccounts<DWORD_PTR>(
      component, *list,
      [&](LPBYTE* buffer, LPDWORD read, LPDWORD total, PDWORD_PTR resume) {
        return NetApi.NetGroupEnum(server.Get(), 0, buffer, kPreferredMaxLength, read, total,
                                   resume);
      },
      &GROUP_INFO_0::grpi0_name);
  return list;
}

std::unique_ptr<TStringList> ListUsers(const TNTPersistent& component, const TNetName& server,
                                       TAccountKinds kinds) {
  auto list = std::make_unique<TStringList>();
  const DWORD filter = AccountKindsToFilter(kinds);
  EnumerateAccounts<DWORD>(
      component, *list,
      [&](LPBYTE* buffer, LPDWORD read, LPDWORD total, LPDWORD resume) {
        return NetApi.NetUserEnum(server.Get(), 0, filter, buffer, kPreferredMaxLength, read,
                                  total, resume);
      },
      &USER_INFO_0::usri0_name);
  return list;
}

}  // namespace

void SetAccountLookup(TAccountLookup lookup) noexcept { accountLookup = lookup; }

std::string TNTPersistent::PrimaryDomainController() const {
  TNetBuffer name;
  const NET_API_STATUS result = NetApi.NetGetDCName(nullptr, nullptr, name.put());
  RaiseNetError(static_cast<int32_t>(result));
  return FromNetString(name.get());
}

std::string TNTPersistent::GetAnyDomainController(const std::string& domain) const {
  const TNetName domainName(domain, "The Domain argument of GetAnyDomainController");
  TNetBuffer name;
  const NET_API_STATUS result = NetApi.NetGetAnyDCName(nullptr, domainName.Get(), name.put());
  RaiseNetError(static_cast<int32_t>(result));
  return FromNetString(name.get());
}

std::string TNTPersistent::PrimaryDomainName() const {
  const std::string controller = PrimaryDomainController();
  TLsaString systemName;
  MakeLsaString(controller, systemName);
  LSA_OBJECT_ATTRIBUTES attributes = {};
  TLsaPolicy policy;
  RaiseLsaStatus(SecurityApi.LsaOpenPolicy(systemName.Get(), &attributes,
                                           POLICY_VIEW_LOCAL_INFORMATION, policy.put()));
  TLsaMemory info;
  RaiseLsaStatus(SecurityApi.LsaQueryInformationPolicy(
      policy.get(), PolicyPrimaryDomainInformation, info.put()));
  const auto* domain = static_cast<const POLICY_PRIMARY_DOMAIN_INFO*>(info.get());
  // The name is counted, not necessarily terminated: read exactly its length.
  if (!domain || !domain->Name.Buffer || domain->Name.Length == 0) return std::string();
  return WideToAnsiLossy(std::wstring_view(domain->Name.Buffer, domain->Name.Length / sizeof(WCHAR)));
}

std::unique_ptr<TStringList> TNTPersistent::GetServerList(const std::string& server,
                                                          uint32_t serverType) const {
  return ListServers(*this, TNetName(server, "The Server argument of GetServerList"), serverType);
}

std::unique_ptr<TStringList> TNTPersistent::GetServers(const std::string& server) const {
  auto servers =
      ListServers(*this, TNetName(server, "The Server argument of GetServers"), kAllServerTypes);
  auto list = std::make_unique<TStringList>();
  for (const std::string& name : *servers) list->Add("\\\\" + name);
  return list;
}

std::unique_ptr<TStringList> TNTPersistent::GetLocalGroups(const std::string& server) const {
  return ListLocalGroups(*this, TNetName(server, "The Server argument of GetLocalGroups"));
}

std::unique_ptr<TStringList> TNTPersistent::GetGlobalGroups(const std::string& server) const {
  return ListGlobalGroups(*this, TNetName(server, "The Server argument of GetGlobalGroups"));
}

std::unique_ptr<TStringList> TNTPersistent::GetUsers(const std::string& server,
                                                     TAccountKinds kinds) const {
  return ListUsers(*this, TNetName(server, "The Server argument of GetUsers"), kinds);
}

std::unique_ptr<TStringList> TNTPersistent::GetAccounts(const std::string& server,
                                                        uint32_t kinds) const {
  const TNetName serverName(server, "The Server argument of GetAccounts");
  auto list = std::make_unique<TStringList>();
  if (kinds & AccountList::LocalGroups) list->AddStrings(*ListLocalGroups(*this, serverName));
  if (kinds & AccountList::GlobalGroups) {
    auto groups = ListGlobalGroups(*this, serverName);
    const bool onlyNone = groups->Count() == 1 && SameAsciiIgnoringCase((*groups)[0], "NONE");
    if (!onlyNone) list->AddStrings(*groups);
  }
  if (kinds & AccountList::Users) {
    list->AddStrings(
        *ListUsers(*this, serverName, AccountKind::Normal | AccountKind::InterdomainTrust));
  }
  if ((kinds & AccountList::WellKnown) && accountLookup) {
    for (const TWellKnownSid& sid : kWellKnownSids) {
      std::string account;
      std::string domain;
      if (accountLookup(std::string(), sid.data(), account, domain) && !account.empty()) {
        list->Add(account);
      }
    }
  }
  return list;
}

}  // namespace corvane
