#include "RemoteNetApi.h"

#include <cstring>
#include <string>
#include <vector>

#include "Allocations.h"
#include "SimulatedNetwork.h"
#include "Win32Error.h"
#include "evtsvc/network/NetworkErrors.h"
#include "evtsvc/network/NameText.h"
#include "evtsvc/network/Paging.h"

namespace corvane::network {
namespace {

constexpr DWORD kServerVersionMajor = 4;
constexpr DWORD kServerVersionMinor = 0;
constexpr DWORD kAdministratorRid = 500;
constexpr DWORD kGuestRid = 501;
constexpr DWORD kGroupAttributes = SE_GROUP_MANDATORY | SE_GROUP_ENABLED_BY_DEFAULT | SE_GROUP_ENABLED;

std::u16string U16(LPCWSTR text) {
  return text ? std::u16string(reinterpret_cast<const char16_t*>(text)) : std::u16string();
}

// Which machines a function simulates: the simulated ones, and for the browse list and domain
// controllers also the local machine when the network describes it.
enum class TScope { RemoteOnly, RemoteAndLocal };

std::optional<THostRef> Served(LPCWSTR server, TScope scope) {
  Target target = Resolve(server);
  if (target.reach == TReach::Simulated) return target.host;
  if (target.reach == TReach::Local && scope == TScope::RemoteAndLocal && target.host) return target.host;
  return std::nullopt;
}

// Strings of the entries, placed after the fixed records in the same block. Without a place it
// only counts the bytes they take.
class TStringArea {
 public:
  explicit TStringArea(WCHAR* at = nullptr) : at_(at) {}
  LPWSTR Put(std::u16string_view text) {
    bytes_ += (text.size() + 1) * sizeof(WCHAR);
    if (!at_) return nullptr;
    WCHAR* placed = at_;
    std::memcpy(placed, text.data(), text.size() * sizeof(WCHAR));
    placed[text.size()] = L'\0';
    at_ += text.size() + 1;
    return placed;
  }
  size_t Bytes() const { return bytes_; }

 private:
  WCHAR* at_;
  size_t bytes_ = 0;
};

struct TDelivery {
  LPBYTE* buffer;
  LPDWORD read;
  LPDWORD total;
};

// One page of `items` at one information level: records of type Info filled by `fill`.
template <typename Info, typename Item>
NET_API_STATUS DeliverPage(const std::vector<Item>& items, void (*fill)(Info&, TStringArea&, const Item&),
                           DWORD maxLength,
                           uint32_t resumeIn, uint32_t& resumeOut, TTotalCounts totals, const TDelivery& out) {
  std::vector<size_t> sizes;
  sizes.reserve(items.size());
  for (const Item& item : items) {
    Info probe{};
    TStringArea counter;
    fill(probe, counter, item);
    sizes.push_back(sizeof(Info) + counter.Bytes());
  }
  const Page page = TakePage(sizes, maxLength, resumeIn, totals);
  size_t bytes = 0;
  for (size_t i = 0; i < page.count; ++i) bytes += sizes[page.first + i];
  UniqueAllocation block;
  if (page.count > 0) {
    block = Allocate(bytes);
    auto* records = static_cast<Info*>(block.get());
    TStringArea strings(reinterpret_cast<WCHAR*>(records + page.count));
    for (size_t i = 0; i < page.count; ++i) fill(records[i], strings, items[page.first + i]);
  }
  *out.buffer = static_cast<LPBYTE>(block.release());
  *out.read = static_cast<DWORD>(page.count);
  *out.total = page.total;
  resumeOut = page.resume;
  return page.more ? ERROR_MORE_DATA : NERR_Success;
}

// The arguments every enumeration checks the same way; clears the outputs.
bool OutputsPresent(LPBYTE* buffer, LPDWORD read, LPDWORD total) {
  if (!buffer || !read || !total) return false;
  *buffer = nullptr;
  *read = 0;
  *total = 0;
  return true;
}

// One information level of an enumeration of Items: its number and how one page of its records
// is made from the items.
template <typename Item>
struct TLevel {
  DWORD level;
  NET_API_STATUS (*deliver)(const std::vector<Item>& items, DWORD maxLength, uint32_t resumeIn,
                            uint32_t& resumeOut, TTotalCounts totals, const TDelivery& out);
};

template <typename Info, typename Item, void (*Fill)(Info&, TStringArea&, const Item&)>
NET_API_STATUS DeliverLevel(const std::vector<Item>& items, DWORD maxLength, uint32_t resumeIn,
                            uint32_t& resumeOut, TTotalCounts totals, const TDelivery& out) {
  return DeliverPage<Info, Item>(items, Fill, maxLength, resumeIn, resumeOut, totals, out);
}

// One page of `items` at `level`, or ERROR_INVALID_LEVEL for a level the table does not hold.
template <typename Item, size_t N>
NET_API_STATUS DeliverAt(const TLevel<Item> (&levels)[N], DWORD level, const std::vector<Item>& items,
                         DWORD maxLength, uint32_t resumeIn, uint32_t& resumeOut, TTotalCounts totals,
                         const TDelivery& out) {
  for (const TLevel<Item>& known : levels) {
    if (known.level == level) return known.deliver(items, maxLength, resumeIn, resumeOut, totals, out);
  }
  return ERROR_INVALID_LEVEL;
}

void FillServer100(SERVER_INFO_100& info, TStringArea& strings, const TServerEntry& server) {
  info.sv100_platform_id = PLATFORM_ID_NT;
  info.sv100_name = strings.Put(server.name);
}

void FillServer101(SERVER_INFO_101& info, TStringArea& strings, const TServerEntry& server) {
  info.sv101_platform_id = PLATFORM_ID_NT;
  info.sv101_name = strings.Put(server.name);
  info.sv101_version_major = kServerVersionMajor;
  info.sv101_version_minor = kServerVersionMinor;
  info.sv101_type = server.type;
  info.sv101_comment = strings.Put(server.comment);
}

constexpr TLevel<TServerEntry> kServerLevels[] = {
    {100, DeliverLevel<SERVER_INFO_100, TServerEntry, FillServer100>},
    {101, DeliverLevel<SERVER_INFO_101, TServerEntry, FillServer101>},
};

DWORD UserFlags(const TUserAccount& user) {
  // The account-kind bits of the flags are those of the filter, eight places up.
  DWORD flags = UF_SCRIPT | (user.kind << 8);
  if (user.rid == kGuestRid) flags |= UF_ACCOUNTDISABLE;
  return flags;
}

DWORD UserPrivilege(const TUserAccount& user) {
  if (user.rid == kAdministratorRid) return USER_PRIV_ADMIN;
  if (user.rid == kGuestRid) return USER_PRIV_GUEST;
  return USER_PRIV_USER;
}

void FillUser0(USER_INFO_0& info, TStringArea& strings, const TUserAccount& user) {
  info.usri0_name = strings.Put(user.name);
}

void FillUser1(USER_INFO_1& info, TStringArea& strings, const TUserAccount& user) {
  info.usri1_name = strings.Put(user.name);
  info.usri1_priv = UserPrivilege(user);
  info.usri1_home_dir = strings.Put(u"");
  info.usri1_comment = strings.Put(u"");
  info.usri1_flags = UserFlags(user);
  info.usri1_script_path = strings.Put(u"");
}

void FillUser10(USER_INFO_10& info, TStringArea& strings, const TUserAccount& user) {
  info.usri10_name = strings.Put(user.name);
  info.usri10_comment = strings.Put(u"");
  info.usri10_usr_comment = strings.Put(u"");
  info.usri10_full_name = strings.Put(u"");
}

void FillUser20(USER_INFO_20& info, TStringArea& strings, const TUserAccount& user) {
  info.usri20_name = strings.Put(user.name);
  info.usri20_full_name = strings.Put(u"");
  info.usri20_comment = strings.Put(u"");
  info.usri20_flags = UserFlags(user);
  info.usri20_user_id = user.rid;
}

constexpr TLevel<TUserAccount> kUserLevels[] = {
    {0, DeliverLevel<USER_INFO_0, TUserAccount, FillUser0>},
    {1, DeliverLevel<USER_INFO_1, TUserAccount, FillUser1>},
    {10, DeliverLevel<USER_INFO_10, TUserAccount, FillUser10>},
    {20, DeliverLevel<USER_INFO_20, TUserAccount, FillUser20>},
};

void FillGroup0(GROUP_INFO_0& info, TStringArea& strings, const TAccount& group) {
  info.grpi0_name = strings.Put(group.name);
}

void FillGroup1(GROUP_INFO_1& info, TStringArea& strings, const TAccount& group) {
  info.grpi1_name = strings.Put(group.name);
  info.grpi1_comment = strings.Put(u"");
}

void FillGroup2(GROUP_INFO_2& info, TStringArea& strings, const TAccount& group) {
  info.grpi2_name = strings.Put(group.name);
  info.grpi2_comment = strings.Put(u"");
  info.grpi2_group_id = group.rid;
  info.grpi2_attributes = kGroupAttributes;
}

constexpr TLevel<TAccount> kGroupLevels[] = {
    {0, DeliverLevel<GROUP_INFO_0, TAccount, FillGroup0>},
    {1, DeliverLevel<GROUP_INFO_1, TAccount, FillGroup1>},
    {2, DeliverLevel<GROUP_INFO_2, TAccount, FillGroup2>},
};

void FillLocalGroup0(LOCALGROUP_INFO_0& info, TStringArea& strings, const TAccount& group) {
  info.lgrpi0_name = strings.Put(group.name);
}

void FillLocalGroup1(LOCALGROUP_INFO_1& info, TStringArea& strings, const TAccount& group) {
  info.lgrpi1_name = strings.Put(group.name);
  info.lgrpi1_comment = strings.Put(u"");
}

constexpr TLevel<TAccount> kLocalGroupLevels[] = {
    {0, DeliverLevel<LOCALGROUP_INFO_0, TAccount, FillLocalGroup0>},
    {1, DeliverLevel<LOCALGROUP_INFO_1, TAccount, FillLocalGroup1>},
};

// The steps every enumeration takes around its listing: the machine it simulates, the outputs
// checked and cleared, the resume handle read and, when a page was delivered, moved on. `list`
// delivers one page from a resume point and names the next.
template <typename Resume, typename List>
std::optional<NET_API_STATUS> Enumerate(LPCWSTR server, TScope scope, LPBYTE* buffer, LPDWORD read,
                                        LPDWORD total, Resume* resume, List list) noexcept {
  return evtsvc::ReturningError<NET_API_STATUS>([&]() -> std::optional<NET_API_STATUS> {
    const auto on = Served(server, scope);
    if (!on) return std::nullopt;
    if (!OutputsPresent(buffer, read, total)) return ERROR_INVALID_PARAMETER;
    uint32_t next = 0;
    const uint32_t from = resume ? static_cast<uint32_t>(*resume) : 0;
    const NET_API_STATUS status = list(*on, from, next, TDelivery{buffer, read, total});
    if (resume && (status == NERR_Success || status == ERROR_MORE_DATA)) *resume = next;
    return status;
  });
}

// "\\NAME" in a buffer of the caller's.
NET_API_STATUS ControllerName(const THost& controller, LPBYTE* buffer) {
  const std::u16string name = u"\\\\" + controller.Name();
  UniqueAllocation block = Allocate((name.size() + 1) * sizeof(WCHAR));
  std::memcpy(block.get(), name.c_str(), (name.size() + 1) * sizeof(WCHAR));
  *buffer = static_cast<LPBYTE>(block.release());
  return NERR_Success;
}

}  // namespace

std::optional<NET_API_STATUS> RemoteNetServerEnum(LMCSTR server, DWORD level, LPBYTE* buffer, DWORD maxLength,
                                                  LPDWORD read, LPDWORD total, DWORD type, LMCSTR domain,
                                                  LPDWORD resume) noexcept {
  return Enumerate(server, TScope::RemoteAndLocal, buffer, read, total, resume,
                   [&](const THostRef& on, uint32_t from, uint32_t& next, const TDelivery& out) {
                     const std::vector<TServerEntry> servers = on.network->Servers(*on.host, U16(domain), type);
                     return DeliverAt(kServerLevels, level, servers, maxLength, from, next, TTotalCounts::All, out);
                   });
}

std::optional<NET_API_STATUS> RemoteNetUserEnum(LPCWSTR server, DWORD level, DWORD filter, LPBYTE* buffer,
                                                DWORD maxLength, LPDWORD read, LPDWORD total,
                                                LPDWORD resume) noexcept {
  return Enumerate(server, TScope::RemoteOnly, buffer, read, total, resume,
                   [&](const THostRef& on, uint32_t from, uint32_t& next, const TDelivery& out) {
                     std::vector<TUserAccount> users;
                     for (const TUserAccount& user : on.network->AccountDatabase(*on.host).users) {
                       // No filter bit at all means every kind.
                       if (filter == 0 || (user.kind & filter) != 0) users.push_back(user);
                     }
                     return DeliverAt(kUserLevels, level, users, maxLength, from, next, TTotalCounts::FromResume,
                                      out);
                   });
}

std::optional<NET_API_STATUS> RemoteNetGroupEnum(LPCWSTR server, DWORD level, LPBYTE* buffer, DWORD maxLength,
                                                 LPDWORD read, LPDWORD total, PDWORD_PTR resume) noexcept {
  return Enumerate(server, TScope::RemoteOnly, buffer, read, total, resume,
                   [&](const THostRef& on, uint32_t from, uint32_t& next, const TDelivery& out) {
                     return DeliverAt(kGroupLevels, level, on.network->AccountDatabase(*on.host).groups, maxLength,
                                      from, next, TTotalCounts::FromResume, out);
                   });
}

std::optional<NET_API_STATUS> RemoteNetLocalGroupEnum(LPCWSTR server, DWORD level, LPBYTE* buffer,
                                                      DWORD maxLength, LPDWORD read, LPDWORD total,
                                                      PDWORD_PTR resume) noexcept {
  return Enumerate(server, TScope::RemoteOnly, buffer, read, total, resume,
                   [&](const THostRef& on, uint32_t from, uint32_t& next, const TDelivery& out) {
                     // The built-in domain's local groups come first, then the machine's own.
                     const Accounts& db = on.network->AccountDatabase(*on.host);
                     std::vector<TAccount> groups = db.builtinGroups;
                     groups.insert(groups.end(), db.localGroups.begin(), db.localGroups.end());
                     return DeliverAt(kLocalGroupLevels, level, groups, maxLength, from, next,
                                      TTotalCounts::FromResume, out);
                   });
}

std::optional<NET_API_STATUS> RemoteNetGetDCName(LPCWSTR server, LPCWSTR domain, LPBYTE* buffer) noexcept {
  return evtsvc::ReturningError<NET_API_STATUS>([&]() -> std::optional<NET_API_STATUS> {
    const auto on = Served(server, TScope::RemoteAndLocal);
    if (!on) return std::nullopt;
    if (!buffer) return ERROR_INVALID_PARAMETER;
    *buffer = nullptr;
    const Accounts& own = on->host->OwnAccounts();
    std::u16string wanted = U16(domain);
    if (wanted.empty()) {
      if (!own.inDomain) return NERR_DCNotFound;
      wanted = own.domain;
    }
    const THost* controller = on->network->PrimaryController(wanted);
    if (!controller) return NERR_DCNotFound;
    return ControllerName(*controller, buffer);
  });
}

std::optional<NET_API_STATUS> RemoteNetGetAnyDCName(LPCWSTR server, LPCWSTR domain, LPBYTE* buffer) noexcept {
  return evtsvc::ReturningError<NET_API_STATUS>([&]() -> std::optional<NET_API_STATUS> {
    const auto on = Served(server, TScope::RemoteAndLocal);
    if (!on) return std::nullopt;
    if (!buffer) return ERROR_INVALID_PARAMETER;
    *buffer = nullptr;
    // Only the machine's own domain is known to it: the network has no trusts.
    const Accounts& own = on->host->OwnAccounts();
    const std::u16string wanted = U16(domain);
    if (!own.inDomain || (!wanted.empty() && !SameName(wanted, own.domain))) return ERROR_NO_SUCH_DOMAIN;
    const THost* controller = on->network->PrimaryController(own.domain);
    if (!controller) return ERROR_NO_LOGON_SERVERS;
    return ControllerName(*controller, buffer);
  });
}

std::optional<NET_API_STATUS> RemoteNetApiBufferFree(LPVOID buffer) noexcept {
  if (!FreeIfOurs(buffer)) return std::nullopt;
  return NERR_Success;
}

}  // namespace corvane::network
