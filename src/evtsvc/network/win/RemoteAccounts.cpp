#include "RemoteAccounts.h"

#include <cstring>
#include <map>
#include <mutex>

#include "Allocations.h"
#include "Owners.h"
#include "SimulatedNetwork.h"
#include "framework/AnsiText.h"
#include "TaggedHandles.h"
#include "Win32Error.h"
#include "evtsvc/network/NetworkErrors.h"

namespace corvane::network {
namespace {

constexpr NTSTATUS kSuccess = 0;
constexpr NTSTATUS kStatusAccessDenied = static_cast<NTSTATUS>(0xC0000022L);
constexpr NTSTATUS kStatusInvalidParameter = static_cast<NTSTATUS>(0xC000000DL);
constexpr NTSTATUS kStatusInvalidHandle = static_cast<NTSTATUS>(0xC0000008L);

// Policy handles of this module carry this tag in their high bits (see TaggedHandles.h).
constexpr uintptr_t kTag = Tag(0x5EEE);

std::optional<Sid> SidOf(PSID sid) {
  if (!sid || !IsValidSid(sid)) return std::nullopt;
  return Sid::FromBytes(static_cast<const uint8_t*>(sid), GetLengthSid(sid));
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

BOOL AnswerNames(const TResolvedAccount& found, LPSTR name, LPDWORD nameSize, LPSTR domain, LPDWORD domainSize,
                 PSID_NAME_USE use) {
  if (!nameSize || !domainSize) return Fail(ERROR_INVALID_PARAMETER);
  const std::string account = WideToAnsiLossy(found.name);
  const std::string domainName = WideToAnsiLossy(found.domain);
  if (*nameSize <= account.size() || *domainSize <= domainName.size() || !name || !domain) {
    *nameSize = static_cast<DWORD>(account.size() + 1);
    *domainSize = static_cast<DWORD>(domainName.size() + 1);
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  std::memcpy(name, account.c_str(), account.size() + 1);
  std::memcpy(domain, domainName.c_str(), domainName.size() + 1);
  *nameSize = static_cast<DWORD>(account.size());
  *domainSize = static_cast<DWORD>(domainName.size());
  if (use) *use = static_cast<SID_NAME_USE>(found.use);
  return TRUE;
}

BOOL AnswerSid(const TResolvedAccount& found, PSID sid, LPDWORD sidSize, LPSTR domain, LPDWORD domainSize,
               PSID_NAME_USE use) {
  if (!sidSize || !domainSize) return Fail(ERROR_INVALID_PARAMETER);
  const std::vector<uint8_t> bytes = found.sid.Bytes();
  const std::string domainName = WideToAnsiLossy(found.domain);
  if (*sidSize < bytes.size() || *domainSize <= domainName.size() || !sid || !domain) {
    *sidSize = static_cast<DWORD>(bytes.size());
    *domainSize = static_cast<DWORD>(domainName.size() + 1);
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  std::memcpy(sid, bytes.data(), bytes.size());
  std::memcpy(domain, domainName.c_str(), domainName.size() + 1);
  *sidSize = static_cast<DWORD>(bytes.size());
  *domainSize = static_cast<DWORD>(domainName.size());
  if (use) *use = static_cast<SID_NAME_USE>(found.use);
  return TRUE;
}

struct LsaPolicyTraits {
  static LSA_HANDLE Invalid() noexcept { return nullptr; }
  static void Close(LSA_HANDLE policy) noexcept { LsaClose(policy); }
};
using TUniqueLsaPolicy = corvane::TUniqueResource<LSA_HANDLE, LsaPolicyTraits>;

// A policy handle of a simulated machine, or of the local machine when the network gives it a
// domain; then the system's own handle answers everything but the domain.
struct TPolicy {
  THostRef host;
  ACCESS_MASK access;
  TUniqueLsaPolicy system;
};

class TPolicyTable {
 public:
  static TPolicyTable& Get() {
    static auto* table = new TPolicyTable;
    return *table;
  }
  LSA_HANDLE Add(std::shared_ptr<TPolicy> policy) {
    std::lock_guard lock(mutex_);
    const uintptr_t value = NextTaggedValue(kTag, serial_, policies_);
    policies_.emplace(value, std::move(policy));
    return reinterpret_cast<LSA_HANDLE>(value);
  }
  std::shared_ptr<TPolicy> Find(LSA_HANDLE handle) {
    std::lock_guard lock(mutex_);
    const auto found = policies_.find(reinterpret_cast<uintptr_t>(handle));
    return found == policies_.end() ? nullptr : found->second;
  }
  std::shared_ptr<TPolicy> Remove(LSA_HANDLE handle) {
    std::lock_guard lock(mutex_);
    const auto found = policies_.find(reinterpret_cast<uintptr_t>(handle));
    if (found == policies_.end()) return nullptr;
    std::shared_ptr<TPolicy> policy = std::move(found->second);
    policies_.erase(found);
    return policy;
  }

 private:
  std::mutex mutex_;
  uintptr_t serial_ = 0;
  std::map<uintptr_t, std::shared_ptr<TPolicy>> policies_;
};

bool IsOurPolicy(LSA_HANDLE handle) { return HasTag(reinterpret_cast<uintptr_t>(handle), kTag); }

// One block: the record, then the name's characters with a terminator, then the SID.
template <typename Info>
PVOID DomainRecord(std::u16string_view name, const std::optional<Sid>& sid, LSA_UNICODE_STRING Info::*nameField,
                   PSID Info::*sidField) {
  const std::vector<uint8_t> sidBytes = sid ? sid->Bytes() : std::vector<uint8_t>();
  const size_t nameBytes = (name.size() + 1) * sizeof(WCHAR);
  const size_t sidAt = (sizeof(Info) + nameBytes + 3) & ~size_t{3};
  UniqueAllocation block = Allocate(sidAt + sidBytes.size());
  auto* bytes = static_cast<uint8_t*>(block.get());
  auto* info = reinterpret_cast<Info*>(bytes);
  auto* characters = reinterpret_cast<WCHAR*>(bytes + sizeof(Info));
  std::memcpy(characters, name.data(), name.size() * sizeof(WCHAR));
  LSA_UNICODE_STRING& text = info->*nameField;
  text.Buffer = characters;
  text.Length = static_cast<USHORT>(name.size() * sizeof(WCHAR));
  text.MaximumLength = static_cast<USHORT>(nameBytes);
  if (sid) {
    std::memcpy(bytes + sidAt, sidBytes.data(), sidBytes.size());
    info->*sidField = bytes + sidAt;
  }
  return block.release();
}

}  // namespace

std::optional<BOOL> RemoteLookupAccountSid(LPCSTR system, PSID sid, LPSTR name, LPDWORD nameSize, LPSTR domain,
                                           LPDWORD domainSize, PSID_NAME_USE use) noexcept {
  return evtsvc::ReportingLastError<std::optional<BOOL>>(FALSE, [&]() -> std::optional<BOOL> {
    const Target target = Resolve(system);
    if (target.reach == TReach::Unknown || !target.host) return std::nullopt;
    if (target.reach == TReach::Local) {
      if (LookupAccountSidA(nullptr, sid, name, nameSize, domain, domainSize, use)) return TRUE;
      if (GetLastError() != ERROR_NONE_MAPPED) return FALSE;
    }
    const auto parsed = SidOf(sid);
    if (!parsed) return Fail(ERROR_INVALID_SID);
    const TNetwork& network = *target.host.network;
    const auto found = target.reach == TReach::Local ? network.LookupSidInDomain(*target.host.host, *parsed)
                                                    : network.LookupSid(*target.host.host, *parsed);
    if (!found) return Fail(ERROR_NONE_MAPPED);
    return AnswerNames(*found, name, nameSize, domain, domainSize, use);
  });
}

std::optional<BOOL> RemoteLookupAccountName(LPCSTR system, LPCSTR account, PSID sid, LPDWORD sidSize, LPSTR domain,
                                            LPDWORD domainSize, PSID_NAME_USE use) noexcept {
  return evtsvc::ReportingLastError<std::optional<BOOL>>(FALSE, [&]() -> std::optional<BOOL> {
    const Target target = Resolve(system);
    if (target.reach == TReach::Unknown || !target.host) return std::nullopt;
    if (target.reach == TReach::Local) {
      if (LookupAccountNameA(nullptr, account, sid, sidSize, domain, domainSize, use)) return TRUE;
      if (GetLastError() != ERROR_NONE_MAPPED) return FALSE;
    }
    if (!account) return Fail(ERROR_INVALID_PARAMETER);
    const TNetwork& network = *target.host.network;
    const std::u16string wanted = AnsiToU16(account);
    const auto found = target.reach == TReach::Local ? network.LookupNameInDomain(*target.host.host, wanted)
                                                    : network.LookupName(*target.host.host, wanted);
    if (!found) return Fail(ERROR_NONE_MAPPED);
    return AnswerSid(*found, sid, sidSize, domain, domainSize, use);
  });
}

std::optional<NTSTATUS> RemoteLsaOpenPolicy(PLSA_UNICODE_STRING system, ACCESS_MASK access,
                                            PLSA_HANDLE policy) noexcept {
  return evtsvc::ReturningStatus([&]() -> std::optional<NTSTATUS> {
    std::wstring name;
    if (system && system->Buffer) name.assign(system->Buffer, system->Length / sizeof(WCHAR));
    const Target target = Resolve(name.c_str());
    if (target.reach == TReach::Unknown || !target.host) return std::nullopt;
    if (!policy) return kStatusInvalidParameter;
    auto opened = std::make_shared<TPolicy>(TPolicy{target.host, access, {}});
    if (target.reach == TReach::Local) {
      LSA_OBJECT_ATTRIBUTES attributes{};
      const NTSTATUS status = LsaOpenPolicy(nullptr, &attributes, access, opened->system.put());
      if (status != kSuccess) return status;
    }
    *policy = TPolicyTable::Get().Add(std::move(opened));
    return kSuccess;
  });
}

std::optional<NTSTATUS> RemoteLsaQueryInformationPolicy(LSA_HANDLE handle, POLICY_INFORMATION_CLASS kind,
                                                        PVOID* buffer) noexcept {
  if (!IsOurPolicy(handle)) return std::nullopt;
  return evtsvc::ReturningStatus([&]() -> std::optional<NTSTATUS> {
    const auto policy = TPolicyTable::Get().Find(handle);
    if (!policy) return kStatusInvalidHandle;
    if (!buffer) return kStatusInvalidParameter;
    *buffer = nullptr;
    const TNetwork& network = *policy->host.network;
    const THost& host = *policy->host.host;
    if (kind == PolicyPrimaryDomainInformation) {
      if (!(policy->access & POLICY_VIEW_LOCAL_INFORMATION)) return kStatusAccessDenied;
      const PrimaryDomain domain = network.PrimaryDomainOf(host);
      *buffer = DomainRecord(domain.name, domain.sid, &POLICY_PRIMARY_DOMAIN_INFO::Name,
                             &POLICY_PRIMARY_DOMAIN_INFO::Sid);
      return kSuccess;
    }
    if (policy->system) return LsaQueryInformationPolicy(policy->system.get(), kind, buffer);
    if (kind == PolicyAccountDomainInformation) {
      if (!(policy->access & POLICY_VIEW_LOCAL_INFORMATION)) return kStatusAccessDenied;
      *buffer = DomainRecord(network.AccountDomainName(host), std::optional(network.AccountDatabase(host).sid),
                             &POLICY_ACCOUNT_DOMAIN_INFO::DomainName, &POLICY_ACCOUNT_DOMAIN_INFO::DomainSid);
      return kSuccess;
    }
    return kStatusInvalidParameter;
  });
}

std::optional<NTSTATUS> RemoteLsaFreeMemory(PVOID buffer) noexcept {
  if (!FreeIfOurs(buffer)) return std::nullopt;
  return kSuccess;
}

std::optional<NTSTATUS> RemoteLsaClose(LSA_HANDLE handle) noexcept {
  if (!IsOurPolicy(handle)) return std::nullopt;
  return evtsvc::ReturningStatus([&]() -> std::optional<NTSTATUS> {
    // The system's handle, if any, closes with the last reference to the policy.
    return TPolicyTable::Get().Remove(handle) ? kSuccess : kStatusInvalidHandle;
  });
}

}  // namespace corvane::network
