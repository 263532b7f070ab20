#include "Network.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "NameText.h"
#include "NetworkErrors.h"

namespace corvane::network {
namespace {

constexpr uint64_t kNullAuthority = 0;
constexpr uint64_t kWorldAuthority = 1;
constexpr uint64_t kLocalAuthority = 2;
constexpr uint64_t kCreatorAuthority = 3;
constexpr uint64_t kNtAuthority = 5;
constexpr uint32_t kBuiltinDomainRid = 32;

struct WellKnown {
  uint64_t authority;
  uint32_t rid;
  std::u16string_view name;
  std::u16string_view domain;
  TSidUse use;
};

constexpr std::u16string_view kNtAuthorityName = u"NT AUTHORITY";
constexpr std::u16string_view kBuiltinName = u"BUILTIN";

constexpr WellKnown kWellKnown[] = {
    {kNullAuthority, 0, u"NULL SID", u"", TSidUse::WellKnownGroup},
    {kWorldAuthority, 0, u"Everyone", u"", TSidUse::WellKnownGroup},
    {kLocalAuthority, 0, u"LOCAL", u"", TSidUse::WellKnownGroup},
    {kCreatorAuthority, 0, u"CREATOR OWNER", u"", TSidUse::WellKnownGroup},
    {kCreatorAuthority, 1, u"CREATOR GROUP", u"", TSidUse::WellKnownGroup},
    {kCreatorAuthority, 2, u"CREATOR OWNER SERVER", u"", TSidUse::WellKnownGroup},
    {kCreatorAuthority, 3, u"CREATOR GROUP SERVER", u"", TSidUse::WellKnownGroup},
    {kNtAuthority, 1, u"DIALUP", kNtAuthorityName, TSidUse::WellKnownGroup},
    {kNtAuthority, 2, u"NETWORK", kNtAuthorityName, TSidUse::WellKnownGroup},
    {kNtAuthority, 3, u"BATCH", kNtAuthorityName, TSidUse::WellKnownGroup},
    {kNtAuthority, 4, u"INTERACTIVE", kNtAuthorityName, TSidUse::WellKnownGroup},
    {kNtAuthority, 6, u"SERVICE", kNtAuthorityName, TSidUse::WellKnownGroup},
    {kNtAuthority, 7, u"ANONYMOUS LOGON", kNtAuthorityName, TSidUse::WellKnownGroup},
    {kNtAuthority, 8, u"PROXY", kNtAuthorityName, TSidUse::WellKnownGroup},
    {kNtAuthority, 9, u"ENTERPRISE DOMAIN CONTROLLERS", kNtAuthorityName, TSidUse::WellKnownGroup},
    {kNtAuthority, 10, u"SELF", kNtAuthorityName, TSidUse::WellKnownGroup},
    {kNtAuthority, 11, u"Authenticated Users", kNtAuthorityName, TSidUse::WellKnownGroup},
    {kNtAuthority, 12, u"RESTRICTED", kNtAuthorityName, TSidUse::WellKnownGroup},
    {kNtAuthority, 13, u"TERMINAL SERVER USER", kNtAuthorityName, TSidUse::WellKnownGroup},
    {kNtAuthority, 14, u"REMOTE INTERACTIVE LOGON", kNtAuthorityName, TSidUse::WellKnownGroup},
    {kNtAuthority, 18, u"SYSTEM", kNtAuthorityName, TSidUse::WellKnownGroup},
    {kNtAuthority, 19, u"LOCAL SERVICE", kNtAuthorityName, TSidUse::WellKnownGroup},
    {kNtAuthority, 20, u"NETWORK SERVICE", kNtAuthorityName, TSidUse::WellKnownGroup},
    {kNtAuthority, kBuiltinDomainRid, kBuiltinName, kBuiltinName, TSidUse::Domain},
};

TResolvedAccount Resolved(const WellKnown& known) {
  return {Sid(known.authority, {known.rid}), std::u16string(known.name), std::u16string(known.domain),
          known.use};
}

Sid BuiltinDomain() { return Sid(kNtAuthority, {kBuiltinDomainRid}); }

std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail(kFileNotFound, "cannot read " + path.string());
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The text of a failure without the code in front ("13: "), for a message that wraps it.
std::string Reason(const EOleSysError& failure) {
  const std::string& message = failure.Message();
  const size_t colon = message.find(": ");
  if (colon == std::string::npos || colon == 0) return message;
  for (size_t i = 0; i < colon; ++i)
    if (message[i] < '0' || message[i] > '9') return message;
  return message.substr(colon + 2);
}

std::u16string_view StripBackslashes(std::u16string_view name) {
  while (!name.empty() && name.front() == u'\\') name.remove_prefix(1);
  return name;
}

// One account domain (a machine's own, or a domain's) as a lookup sees it.
struct TAccountDomain {
  const Accounts* accounts;
  std::u16string_view name;
};

std::optional<TResolvedAccount> SidInDomain(const TAccountDomain& domain, const Sid& sid) {
  const Accounts& db = *domain.accounts;
  if (sid == db.sid) return TResolvedAccount{sid, std::u16string(domain.name), std::u16string(domain.name), TSidUse::Domain};
  const auto split = sid.SplitRid();
  if (!split || !(split->first == db.sid)) return std::nullopt;
  const uint32_t rid = split->second;
  auto found = [&](const std::u16string& name, TSidUse use) {
    return TResolvedAccount{sid, name, std::u16string(domain.name), use};
  };
  for (const auto& user : db.users) {
    if (user.rid == rid) return found(user.name, TSidUse::User);
  }
  for (const auto& group : db.groups) {
    if (group.rid == rid) return found(group.name, TSidUse::Group);
  }
  for (const auto& group : db.localGroups) {
    if (group.rid == rid) return found(group.name, TSidUse::Alias);
  }
  return std::nullopt;
}

std::optional<TResolvedAccount> NameInDomain(const TAccountDomain& domain, std::u16string_view name) {
  const Accounts& db = *domain.accounts;
  if (SameName(name, domain.name)) {
    return TResolvedAccount{db.sid, std::u16string(domain.name), std::u16string(domain.name), TSidUse::Domain};
  }
  auto found = [&](const TAccount& account, TSidUse use) {
    return TResolvedAccount{db.sid.WithRid(account.rid), account.name, std::u16string(domain.name), use};
  };
  for (const auto& user : db.users) {
    if (SameName(user.name, name)) return found(user, TSidUse::User);
  }
  for (const auto& group : db.groups) {
    if (SameName(group.name, name)) return found(group, TSidUse::Group);
  }
  for (const auto& group : db.localGroups) {
    if (SameName(group.name, name)) return found(group, TSidUse::Alias);
  }
  return std::nullopt;
}

std::optional<TResolvedAccount> Builtin(const Accounts& db, const Sid& sid) {
  const auto split = sid.SplitRid();
  if (!split || !(split->first == BuiltinDomain())) return std::nullopt;
  for (const auto& group : db.builtinGroups) {
    if (group.rid == split->second) {
      return TResolvedAccount{sid, group.name, std::u16string(kBuiltinName), TSidUse::Alias};
    }
  }
  return std::nullopt;
}

std::optional<TResolvedAccount> BuiltinByName(const Accounts& db, std::u16string_view name) {
  for (const auto& group : db.builtinGroups) {
    if (SameName(group.name, name)) {
      return TResolvedAccount{BuiltinDomain().WithRid(group.rid), group.name, std::u16string(kBuiltinName),
                             TSidUse::Alias};
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<TResolvedAccount> WellKnownBySid(const Sid& sid) {
  for (const WellKnown& known : kWellKnown) {
    if (sid.Authority() == known.authority && sid.SubAuthorities().size() == 1 &&
        sid.SubAuthorities()[0] == known.rid) {
      return Resolved(known);
    }
  }
  return std::nullopt;
}

std::optional<TResolvedAccount> WellKnownByName(std::u16string_view domain, std::u16string_view name,
                                               bool domainGiven) {
  for (const WellKnown& known : kWellKnown) {
    if (SameName(known.name, name) && (!domainGiven || SameName(known.domain, domain))) {
      return Resolved(known);
    }
  }
  return std::nullopt;
}

THost::THost(std::u16string name, std::filesystem::path folder, bool local, Accounts accounts,
           const TEightBitDecoder& decode8)
    : name_(std::move(name)),
      folder_(std::move(folder)),
      local_(local),
      accounts_(std::move(accounts)),
      decode8_(decode8) {}

const RegKey& THost::Registry() const {
  std::lock_guard lock(registryMutex_);
  if (!registry_) {
    auto tree = std::make_unique<RegKey>(u"HKEY_LOCAL_MACHINE");
    const std::filesystem::path file = folder_ / "registry.reg";
    if (std::filesystem::exists(file)) {
      const std::vector<uint8_t> bytes = ReadFile(file);
      try {
        ApplyRegFile(bytes.data(), bytes.size(), *tree, decode8_);
      } catch (const EOleSysError& error) {
        Fail(kBadDatabase, file.string() + ": " + Reason(error));
      }
    }
    registry_ = std::move(tree);
  }
  return *registry_;
}

std::shared_ptr<const TNetwork> TNetwork::Load(const std::filesystem::path& folder,
                                             std::u16string_view localName,
                                             const TEightBitDecoder& decode8) {
  auto network = std::make_shared<TNetwork>();
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) {
    Fail(kInvalidData, "the network folder " + folder.string() + " does not exist");
  }
  std::vector<std::filesystem::path> folders;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.is_directory() && !entry.path().filename().string().starts_with(".")) {
      folders.push_back(entry.path());
    }
  }
  for (const auto& machineFolder : folders) {
    const std::u16string folderName = machineFolder.filename().u16string();
    const bool local = SameName(folderName, u"localhost") || (!localName.empty() && SameName(folderName, localName));
    const std::u16string name = UpperCase(local && !localName.empty() ? localName : folderName);
    if (name.size() > 15) Fail(kInvalidData, "the machine name " + ToUtf8(name) + " is longer than 15 characters");
    if (network->Find(name) || network->Broken(name))
      Fail(kInvalidData, "the machine " + ToUtf8(name) + " appears twice in the network");
    const std::filesystem::path accountsFile = machineFolder / "accounts.txt";
    try {
      const std::vector<uint8_t> bytes = ReadFile(accountsFile);
      Accounts accounts;
      try {
        accounts = ParseAccounts(bytes.data(), bytes.size());
      } catch (const EOleSysError& failure) {
        Fail(kInvalidData, accountsFile.string() + ": " + Reason(failure));
      }
      network->hosts_.push_back(std::make_unique<THost>(name, machineFolder, local, std::move(accounts), decode8));
    } catch (const EOleSysError& failure) {
      network->broken_.emplace_back(name, failure);
    }
  }
  std::sort(network->hosts_.begin(), network->hosts_.end(),
            [](const auto& a, const auto& b) { return CompareNames(a->Name(), b->Name()) < 0; });
  return network;
}

const THost* TNetwork::Find(std::u16string_view name) const {
  name = StripBackslashes(name);
  for (const auto& host : hosts_) {
    if (SameName(host->Name(), name)) return host.get();
  }
  return nullptr;
}

const EOleSysError* TNetwork::Broken(std::u16string_view name) const {
  name = StripBackslashes(name);
  for (const auto& [machine, failure] : broken_) {
    if (SameName(machine, name)) return &failure;
  }
  return nullptr;
}

const THost* TNetwork::Local() const {
  for (const auto& host : hosts_) {
    if (host->IsLocal()) return host.get();
  }
  return nullptr;
}

const THost* TNetwork::PrimaryController(std::u16string_view domain) const {
  for (const auto& host : hosts_) {
    if (host->IsController() && SameName(host->OwnAccounts().domain, domain)) return host.get();
  }
  return nullptr;
}

const Accounts& TNetwork::AccountDatabase(const THost& host) const {
  if (host.IsController()) {
    if (const THost* primary = PrimaryController(host.OwnAccounts().domain)) return primary->OwnAccounts();
  }
  return host.OwnAccounts();
}

const std::u16string& TNetwork::AccountDomainName(const THost& host) const {
  return host.IsController() ? host.OwnAccounts().domain : host.Name();
}

PrimaryDomain TNetwork::PrimaryDomainOf(const THost& host) const {
  const Accounts& own = host.OwnAccounts();
  PrimaryDomain result{own.domain, std::nullopt};
  if (own.inDomain) {
    if (const THost* primary = PrimaryController(own.domain)) result.sid = primary->OwnAccounts().sid;
  }
  return result;
}

std::vector<TServerEntry> TNetwork::Servers(const THost& on, std::u16string_view domain,
                                          uint32_t typeMask) const {
  std::vector<TServerEntry> servers;
  if (typeMask != kServerTypeAll && (typeMask & kServerTypeDomainEnum)) {
    for (const auto& host : hosts_) {
      const std::u16string& name = host->OwnAccounts().domain;
      const bool listed = std::any_of(servers.begin(), servers.end(),
                                      [&](const TServerEntry& entry) { return SameName(entry.name, name); });
      if (!listed) servers.push_back({UpperCase(name), kServerTypeDomainEnum | kServerTypeNt, host->Name()});
    }
    std::sort(servers.begin(), servers.end(),
              [](const TServerEntry& a, const TServerEntry& b) { return CompareNames(a.name, b.name) < 0; });
    return servers;
  }
  const std::u16string_view wanted = domain.empty() ? std::u16string_view(on.OwnAccounts().domain) : domain;
  bool known = false;
  for (const auto& host : hosts_) {
    const Accounts& accounts = host->OwnAccounts();
    if (!SameName(accounts.domain, wanted)) continue;
    known = true;
    if (typeMask == kServerTypeAll || (accounts.serverType & typeMask) != 0) {
      servers.push_back({host->Name(), accounts.serverType, accounts.comment});
    }
  }
  if (!known) Fail(kNoBrowserServers, "no machine of the network belongs to " + ToUtf8(wanted));
  return servers;
}

std::optional<TResolvedAccount> TNetwork::LookupSidInDomain(const THost& on, const Sid& sid) const {
  const Accounts& own = on.OwnAccounts();
  if (on.IsController() || !own.inDomain) return std::nullopt;
  const THost* primary = PrimaryController(own.domain);
  if (!primary) return std::nullopt;
  return SidInDomain({&primary->OwnAccounts(), own.domain}, sid);
}

std::optional<TResolvedAccount> TNetwork::LookupSid(const THost& on, const Sid& sid) const {
  if (auto known = WellKnownBySid(sid)) return known;
  const Accounts& db = AccountDatabase(on);
  if (auto builtin = Builtin(db, sid)) return builtin;
  if (auto own = SidInDomain({&db, AccountDomainName(on)}, sid)) return own;
  return LookupSidInDomain(on, sid);
}

std::optional<TResolvedAccount> TNetwork::LookupNameInDomain(const THost& on, std::u16string_view name) const {
  const Accounts& own = on.OwnAccounts();
  if (on.IsController() || !own.inDomain) return std::nullopt;
  const THost* primary = PrimaryController(own.domain);
  if (!primary) return std::nullopt;
  const size_t slash = name.find(u'\\');
  if (slash != std::u16string_view::npos) {
    if (!SameName(name.substr(0, slash), own.domain)) return std::nullopt;
    name.remove_prefix(slash + 1);
  }
  return NameInDomain({&primary->OwnAccounts(), own.domain}, name);
}

std::optional<TResolvedAccount> TNetwork::LookupName(const THost& on, std::u16string_view name) const {
  const size_t slash = name.find(u'\\');
  const bool domainGiven = slash != std::u16string_view::npos;
  const std::u16string_view domain = domainGiven ? name.substr(0, slash) : std::u16string_view();
  const std::u16string_view account = domainGiven ? name.substr(slash + 1) : name;
  if (account.empty()) return std::nullopt;

  if (auto known = WellKnownByName(domain, account, domainGiven)) return known;
  const Accounts& db = AccountDatabase(on);
  if (!domainGiven || SameName(domain, kBuiltinName)) {
    if (auto builtin = BuiltinByName(db, account)) return builtin;
  }
  const std::u16string& ownDomain = AccountDomainName(on);
  if (!domainGiven || SameName(domain, ownDomain)) {
    if (auto own = NameInDomain({&db, ownDomain}, account)) return own;
  }
  return LookupNameInDomain(on, name);
}

}  // namespace corvane::network
