// A simulated network: the folder named by CORVANE_NETWORK holds one folder per machine, named
// by the machine (letter case ignored). A machine's folder is its %SystemRoot% (so its logs lie
// in system32\config), and holds its registry as a registry export ("registry.reg", its
// HKEY_LOCAL_MACHINE; optional, an empty registry without it) and its accounts ("accounts.txt",
// see Accounts.h). A folder named "localhost" or after the local computer describes the local
// machine, which then belongs to the domain or workgroup its accounts file names.
//
// A domain is served by its controllers; the first controller of the domain in name order is
// its primary controller and holds the domain's accounts.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Accounts.h"
#include "NetworkErrors.h"
#include "RegFile.h"
#include "RegistryTree.h"
#include "Sid.h"

namespace corvane::network {

// How a SID is used, as the account lookups report it (SID_NAME_USE).
enum class TSidUse : uint32_t { User = 1, Group = 2, Domain = 3, Alias = 4, WellKnownGroup = 5 };

struct TResolvedAccount {
  Sid sid;
  std::u16string name;
  std::u16string domain;
  TSidUse use = TSidUse::User;
};

struct TServerEntry {
  std::u16string name;
  uint32_t type = 0;
  std::u16string comment;
};

struct PrimaryDomain {
  std::u16string name;    // the domain, or the workgroup of a machine in no domain
  std::optional<Sid> sid; // none for a workgroup
};

class THost {
 public:
  THost(std::u16string name, std::filesystem::path folder, bool local, Accounts accounts,
       const TEightBitDecoder& decode8);

  // Upper case, as the machine announces itself.
  const std::u16string& Name() const { return name_; }
  const std::filesystem::path& Folder() const { return folder_; }
  bool IsLocal() const { return local_; }
  const Accounts& OwnAccounts() const { return accounts_; }
  bool IsController() const { return accounts_.role == TRole::Controller; }

  // HKEY_LOCAL_MACHINE, read from registry.reg the first time it is asked for. A damaged file
  // throws EOleSysError (ERROR_BADDB) each time.
  const RegKey& Registry() const;

 private:
  std::u16string name_;
  std::filesystem::path folder_;
  bool local_;
  Accounts accounts_;
  TEightBitDecoder decode8_;
  mutable std::mutex registryMutex_;
  mutable std::unique_ptr<RegKey> registry_;
};

class TNetwork {
 public:
  // Reads every machine's accounts file; `localName` is the local computer's name. A machine
  // whose accounts cannot be read is kept aside (Broken); a network folder that is missing, or
  // two folders for one machine, throw EOleSysError (ERROR_INVALID_DATA) naming them.
  static std::shared_ptr<const TNetwork> Load(const std::filesystem::path& folder,
                                             std::u16string_view localName,
                                             const TEightBitDecoder& decode8);

  // By name, leading backslashes ignored; null for a machine not in the network.
  const THost* Find(std::u16string_view name) const;
  // Why the machine of that name is not in the network although its folder is there (its
  // accounts file missing or damaged: the message names the file, and the line where there is
  // one); null otherwise. One broken machine leaves the others served.
  const EOleSysError* Broken(std::u16string_view name) const;
  const THost* Local() const;
  // In name order.
  const std::vector<std::unique_ptr<THost>>& Hosts() const { return hosts_; }

  // Null when the network has no controller of that domain.
  const THost* PrimaryController(std::u16string_view domain) const;
  // The account database the machine answers from: a controller answers with its domain's.
  const Accounts& AccountDatabase(const THost& host) const;
  // The name of the machine's own account domain: its domain on a controller, else its name.
  const std::u16string& AccountDomainName(const THost& host) const;
  PrimaryDomain PrimaryDomainOf(const THost& host) const;

  // The browse list `on` answers with for `domain` (empty: its own domain or workgroup):
  // the machines there whose type shares a bit with `typeMask` (all for 0xFFFFFFFF), or the
  // domains and workgroups of the network when the mask asks for domains
  // (SV_TYPE_DOMAIN_ENUM). In name order. An unknown domain throws ERROR_NO_BROWSER_SERVERS_FOUND.
  std::vector<TServerEntry> Servers(const THost& on, std::u16string_view domain, uint32_t typeMask) const;

  // As the machine `on` resolves them: well-known SIDs, its built-in domain, its own account
  // domain, then its primary domain.
  std::optional<TResolvedAccount> LookupSid(const THost& on, const Sid& sid) const;
  // "name" or "DOMAIN\name", in the same order.
  std::optional<TResolvedAccount> LookupName(const THost& on, std::u16string_view name) const;
  // Only the primary domain of `on` (for a local machine whose own accounts the system holds).
  std::optional<TResolvedAccount> LookupSidInDomain(const THost& on, const Sid& sid) const;
  std::optional<TResolvedAccount> LookupNameInDomain(const THost& on, std::u16string_view name) const;

 private:
  std::vector<std::unique_ptr<THost>> hosts_;
  std::vector<std::pair<std::u16string, EOleSysError>> broken_;
};

// The SIDs every machine names the same way (Everyone, SYSTEM, NETWORK, ...).
std::optional<TResolvedAccount> WellKnownBySid(const Sid& sid);
std::optional<TResolvedAccount> WellKnownByName(std::u16string_view domain, std::u16string_view name,
                                               bool domainGiven);

}  // namespace corvane::network
