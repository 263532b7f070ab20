// The simulated network through the service's exports, as the control calls them: browse lists,
// users and groups paged with small lengths, domain controllers, the primary domain, account
// lookups, a remote registry and remote logs, and the errors of unreachable machines.
#include <windows.h>
// After windows.h:
#include <lm.h>
#include <ntsecapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "SampleNetwork.h"
#include "ServiceLibrary.h"
#include "TestSupport.h"
#include "evtsvc/network/Sid.h"

namespace corvane::network {
namespace {

using evtsvc::test::ReadAll;
using evtsvc::test::TReadRecord;
using evtsvc::test::TServiceLibrary;
using evtsvc::test::TUniqueLog;

const char kDomainSid[] = "S-1-5-21-1842300351-2297310785-3960137720";
const char kServerSid[] = "S-1-5-21-3405691582-1234567890-987654321";
constexpr NTSTATUS kRpcServerUnavailable = static_cast<NTSTATUS>(0xC0020017L);

const TServiceLibrary& Service() { return TServiceLibrary::Get(); }

std::wstring LocalName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  GetComputerNameW(name, &size);
  std::wstring upper(name, size);
  CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
  return upper;
}

std::vector<uint8_t> SidBytes(const std::string& text) { return Sid::Parse(text)->Bytes(); }

// The sample network built into a folder of this test program, named by CORVANE_NETWORK.
class TSampleNetworkEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    folder_ = std::filesystem::path(CORVANE_BINARY_DIR) / "tests" / "evtsvc" / "network" /
              ("sample-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::remove_all(folder_);
    sample::Build(std::filesystem::path(CORVANE_SOURCE_DIR) / "tests" / "evtsvc" / "network" / "sample", folder_);
    SetEnvironmentVariableW(L"CORVANE_NETWORK", folder_.wstring().c_str());
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  static std::filesystem::path folder_;
};
std::filesystem::path TSampleNetworkEnvironment::folder_;

// Owners of what the exports hand out.
struct TNetBufferFree {
  void operator()(void* buffer) const { Service().NetApiBufferFree(buffer); }
};
using NetBuffer = std::unique_ptr<void, TNetBufferFree>;

struct TLsaMemoryFree {
  void operator()(void* buffer) const { Service().LsaFreeMemory(buffer); }
};
using LsaMemory = std::unique_ptr<void, TLsaMemoryFree>;

struct TRemoteKeyTraits {
  static HKEY Invalid() noexcept { return nullptr; }
  static void Close(HKEY key) noexcept { Service().RegCloseKey(key); }
};
using TRemoteKey = corvane::TUniqueResource<HKEY, TRemoteKeyTraits>;

// One enumeration walked page by page as the component base walks it, with every call's result.
struct Walk {
  std::vector<std::wstring> names;
  std::vector<NET_API_STATUS> results;
  std::vector<DWORD> totals;
};

template <typename Info, typename Call>
Walk WalkPages(Call call, LPWSTR Info::*name) {
  Walk walk;
  DWORD_PTR resume = 0;
  for (int calls = 0; calls < 100; ++calls) {
    LPBYTE raw = nullptr;
    DWORD read = 0, total = 0;
    const NET_API_STATUS status = call(&raw, &read, &total, &resume);
    NetBuffer buffer(raw);
    walk.results.push_back(status);
    walk.totals.push_back(total);
    if (status != NERR_Success && status != ERROR_MORE_DATA) break;
    const auto* records = reinterpret_cast<const Info*>(raw);
    for (DWORD i = 0; i < read; ++i) walk.names.emplace_back(records[i].*name);
    if (status == NERR_Success || resume == 0) break;
  }
  return walk;
}

Walk Users(const wchar_t* server, DWORD filter, DWORD maxLength) {
  return WalkPages<USER_INFO_0>(
      [&](LPBYTE* buffer, LPDWORD read, LPDWORD total, DWORD_PTR* resume) {
        DWORD handle = static_cast<DWORD>(*resume);
        const NET_API_STATUS status =
            Service().NetUserEnum(server, 0, filter, buffer, maxLength, read, total, &handle);
        *resume = handle;
        return status;
      },
      &USER_INFO_0::usri0_name);
}

Walk Servers(const wchar_t* server, DWORD type, const wchar_t* domain, DWORD maxLength = MAX_PREFERRED_LENGTH) {
  return WalkPages<SERVER_INFO_100>(
      [&](LPBYTE* buffer, LPDWORD read, LPDWORD total, DWORD_PTR* resume) {
        DWORD handle = static_cast<DWORD>(*resume);
        const NET_API_STATUS status =
            Service().NetServerEnum(server, 100, buffer, maxLength, read, total, type, domain, &handle);
        *resume = handle;
        return status;
      },
      &SERVER_INFO_100::sv100_name);
}

Walk Groups(const wchar_t* server, DWORD maxLength = MAX_PREFERRED_LENGTH) {
  return WalkPages<GROUP_INFO_0>(
      [&](LPBYTE* buffer, LPDWORD read, LPDWORD total, DWORD_PTR* resume) {
        return Service().NetGroupEnum(server, 0, buffer, maxLength, read, total, resume);
      },
      &GROUP_INFO_0::grpi0_name);
}

Walk LocalGroups(const wchar_t* server, DWORD maxLength = MAX_PREFERRED_LENGTH) {
  return WalkPages<LOCALGROUP_INFO_0>(
      [&](LPBYTE* buffer, LPDWORD read, LPDWORD total, DWORD_PTR* resume) {
        return Service().NetLocalGroupEnum(server, 0, buffer, maxLength, read, total, resume);
      },
      &LOCALGROUP_INFO_0::lgrpi0_name);
}

using Names = std::vector<std::wstring>;

TEST(SimulatedNetApi, ServerListsFollowTheTypeMaskAndDomain) {
  const std::wstring local = LocalName();
  EXPECT_EQ(Servers(L"\\\\CORVDC", SV_TYPE_ALL, nullptr).names, (Names{L"CORVDC", L"CORVSRV", L"CORVWKS", local}));
  // The local machine is a workstation of the sample's domain: its list is the domain's.
  EXPECT_EQ(Servers(nullptr, SV_TYPE_ALL, nullptr).names, (Names{L"CORVDC", L"CORVSRV", L"CORVWKS", local}));
  EXPECT_EQ(Servers(nullptr, SV_TYPE_DOMAIN_CTRL, nullptr).names, Names{L"CORVDC"});
  EXPECT_EQ(Servers(L"corvwks", SV_TYPE_SERVER_NT, nullptr).names, Names{L"CORVSRV"});
  EXPECT_EQ(Servers(nullptr, SV_TYPE_DOMAIN_ENUM, nullptr).names, (Names{L"CORVANE", L"LAB"}));
  EXPECT_EQ(Servers(nullptr, SV_TYPE_ALL, L"LAB").names, Names{L"LABPC"});
  EXPECT_EQ(Servers(nullptr, SV_TYPE_ALL, L"NOWHERE").results.back(), static_cast<DWORD>(ERROR_NO_BROWSER_SERVERS_FOUND));

  LPBYTE raw = nullptr;
  DWORD read = 0, total = 0;
  ASSERT_EQ(Service().NetServerEnum(L"\\\\CORVDC", 101, &raw, MAX_PREFERRED_LENGTH, &read, &total,
                                    SV_TYPE_DOMAIN_CTRL, nullptr, nullptr),
            static_cast<DWORD>(NERR_Success));
  NetBuffer buffer(raw);
  ASSERT_EQ(read, 1u);
  const auto* info = reinterpret_cast<const SERVER_INFO_101*>(raw);
  EXPECT_EQ(info->sv101_platform_id, static_cast<DWORD>(PLATFORM_ID_NT));
  EXPECT_TRUE(info->sv101_type & SV_TYPE_DOMAIN_CTRL);
  EXPECT_TRUE(info->sv101_type & SV_TYPE_NT);
  EXPECT_STREQ(info->sv101_comment, L"Domain controller");
  EXPECT_EQ(Service().NetServerEnum(L"\\\\CORVDC", 102, &raw, MAX_PREFERRED_LENGTH, &read, &total, SV_TYPE_ALL,
                                    nullptr, nullptr),
            static_cast<DWORD>(ERROR_INVALID_LEVEL));
}

TEST(SimulatedNetApi, ServerListPagesWithResumeHandles) {
  const Walk walk = Servers(L"\\\\CORVDC", SV_TYPE_ALL, nullptr, 40);
  EXPECT_EQ(walk.names, (Names{L"CORVDC", L"CORVSRV", L"CORVWKS", LocalName()}));
  ASSERT_GE(walk.results.size(), 3u);
  for (size_t i = 0; i + 1 < walk.results.size(); ++i) EXPECT_EQ(walk.results[i], static_cast<DWORD>(ERROR_MORE_DATA));
  EXPECT_EQ(walk.results.back(), static_cast<DWORD>(NERR_Success));
  for (DWORD total : walk.totals) EXPECT_EQ(total, 4u);
}

TEST(SimulatedNetApi, UsersHonourTheFilterAndPageAcrossSeveralCalls) {
  const Names normal = {L"Administrator", L"Guest", L"alice", L"bob", L"carol", L"dave"};
  EXPECT_EQ(Users(L"\\\\CORVDC", FILTER_NORMAL_ACCOUNT, MAX_PREFERRED_LENGTH).names, normal);
  EXPECT_EQ(Users(L"\\\\CORVDC", 0, MAX_PREFERRED_LENGTH).names.size(), 11u);
  EXPECT_EQ(Users(L"\\\\CORVDC", FILTER_WORKSTATION_TRUST_ACCOUNT, MAX_PREFERRED_LENGTH).names,
            (Names{L"CORVSRV$", L"CORVWKS$"}));
  // What the component base asks for its account lists: normal and interdomain trust accounts.
  Names expected = normal;
  expected.push_back(L"PARTNER$");
  EXPECT_EQ(Users(L"\\\\CORVDC", 0x0A, MAX_PREFERRED_LENGTH).names, expected);
  EXPECT_EQ(Users(L"\\\\CORVDC", FILTER_SERVER_TRUST_ACCOUNT | FILTER_TEMP_DUPLICATE_ACCOUNT,
                  MAX_PREFERRED_LENGTH).names,
            (Names{L"erin", L"CORVDC2$"}));
  // A member server answers with its own accounts.
  EXPECT_EQ(Users(L"CORVSRV", FILTER_NORMAL_ACCOUNT, MAX_PREFERRED_LENGTH).names,
            (Names{L"Administrator", L"Guest", L"svcweb"}));

  const Walk paged = Users(L"\\\\CORVDC", 0x0A, 50);
  EXPECT_EQ(paged.names, expected);
  ASSERT_GE(paged.results.size(), 3u);
  EXPECT_EQ(paged.results.front(), static_cast<DWORD>(ERROR_MORE_DATA));
  EXPECT_EQ(paged.results.back(), static_cast<DWORD>(NERR_Success));
  // The first call counts every entry, later ones those from their resume position.
  EXPECT_EQ(paged.totals.front(), 7u);
  EXPECT_LT(paged.totals.back(), 7u);
}

TEST(SimulatedNetApi, UserRecordsCarryRidsAndKindFlags) {
  LPBYTE raw = nullptr;
  DWORD read = 0, total = 0, resume = 0;
  ASSERT_EQ(Service().NetUserEnum(L"\\\\CORVDC", 20, 0, &raw, MAX_PREFERRED_LENGTH, &read, &total, &resume),
            static_cast<DWORD>(NERR_Success));
  NetBuffer buffer(raw);
  ASSERT_EQ(read, 11u);
  const auto* users = reinterpret_cast<const USER_INFO_20*>(raw);
  EXPECT_STREQ(users[2].usri20_name, L"alice");
  EXPECT_EQ(users[2].usri20_user_id, 1000u);
  EXPECT_TRUE(users[2].usri20_flags & UF_NORMAL_ACCOUNT);
  EXPECT_TRUE(users[1].usri20_flags & UF_ACCOUNTDISABLE);  // Guest
  EXPECT_TRUE(users[7].usri20_flags & UF_WORKSTATION_TRUST_ACCOUNT);
  EXPECT_EQ(resume, 0u);
  EXPECT_EQ(Service().NetUserEnum(L"\\\\CORVDC", 4, 0, &raw, MAX_PREFERRED_LENGTH, &read, &total, &resume),
            static_cast<DWORD>(ERROR_INVALID_LEVEL));
}

TEST(SimulatedNetApi, GlobalAndLocalGroups) {
  EXPECT_EQ(Groups(L"\\\\CORVSRV").names, Names{L"None"});
  EXPECT_EQ(Groups(L"\\\\CORVDC").names, (Names{L"Domain Admins", L"Domain Users", L"Domain Guests", L"Log Auditors"}));
  const Walk paged = Groups(L"\\\\CORVDC", 1);
  EXPECT_EQ(paged.names.size(), 4u);
  EXPECT_EQ(paged.results.size(), 4u);
  EXPECT_EQ(LocalGroups(L"\\\\CORVSRV").names,
            (Names{L"Administrators", L"Users", L"Guests", L"Power Users", L"Backup Operators", L"Web Operators"}));
  EXPECT_EQ(LocalGroups(L"\\\\CORVSRV", 60).names.size(), 6u);
}

TEST(SimulatedNetApi, DomainControllers) {
  struct TCase {
    bool any;
    const wchar_t* server;
    const wchar_t* domain;
    NET_API_STATUS status;
    const wchar_t* name;
  };
  const TCase cases[] = {
      {false, nullptr, nullptr, NERR_Success, L"\\\\CORVDC"},
      {false, L"\\\\CORVSRV", nullptr, NERR_Success, L"\\\\CORVDC"},
      {false, L"\\\\CORVSRV", L"corvane", NERR_Success, L"\\\\CORVDC"},
      {false, L"\\\\LABPC", nullptr, NERR_DCNotFound, nullptr},
      {false, nullptr, L"LAB", NERR_DCNotFound, nullptr},
      {true, nullptr, L"CORVANE", NERR_Success, L"\\\\CORVDC"},
      {true, L"CORVWKS", nullptr, NERR_Success, L"\\\\CORVDC"},
      {true, nullptr, L"LAB", ERROR_NO_SUCH_DOMAIN, nullptr},
      {true, L"LABPC", nullptr, ERROR_NO_SUCH_DOMAIN, nullptr},
  };
  for (const TCase& c : cases) {
    LPBYTE raw = nullptr;
    const NET_API_STATUS status = c.any ? Service().NetGetAnyDCName(c.server, c.domain, &raw)
                                        : Service().NetGetDCName(c.server, c.domain, &raw);
    NetBuffer buffer(raw);
    EXPECT_EQ(status, c.status) << (c.server ? c.server : L"(local)");
    if (c.name) {
      ASSERT_NE(raw, nullptr);
      EXPECT_STREQ(reinterpret_cast<LPCWSTR>(raw), c.name);
    }
  }
}

NTSTATUS PrimaryDomain(const wchar_t* system, std::wstring& name, std::vector<uint8_t>& sid) {
  LSA_UNICODE_STRING systemName{};
  std::wstring text = system ? system : L"";
  systemName.Buffer = text.empty() ? nullptr : text.data();
  systemName.Length = static_cast<USHORT>(text.size() * sizeof(WCHAR));
  systemName.MaximumLength = systemName.Length;
  LSA_OBJECT_ATTRIBUTES attributes{};
  LSA_HANDLE policy = nullptr;
  NTSTATUS status = Service().LsaOpenPolicy(text.empty() ? nullptr : &systemName, &attributes,
                                            POLICY_VIEW_LOCAL_INFORMATION, &policy);
  if (status != 0) return status;
  PVOID raw = nullptr;
  status = Service().LsaQueryInformationPolicy(policy, PolicyPrimaryDomainInformation, &raw);
  LsaMemory info(raw);
  if (status == 0) {
    const auto* domain = static_cast<const POLICY_PRIMARY_DOMAIN_INFO*>(raw);
    name = domain->Name.Buffer;  // zero-terminated, as the component base reads it
    EXPECT_EQ(domain->Name.Length, name.size() * sizeof(WCHAR));
    sid.clear();
    if (domain->Sid) {
      const auto* bytes = static_cast<const uint8_t*>(domain->Sid);
      sid.assign(bytes, bytes + Service().GetLengthSid(domain->Sid));
    }
  }
  EXPECT_EQ(Service().LsaClose(policy), 0);
  return status;
}

TEST(SimulatedLsa, PrimaryDomainOfControllerMemberWorkgroupAndLocalMachine) {
  std::wstring name;
  std::vector<uint8_t> sid;
  for (const wchar_t* system : {L"\\\\CORVDC", L"CORVSRV", static_cast<const wchar_t*>(nullptr)}) {
    ASSERT_EQ(PrimaryDomain(system, name, sid), 0);
    EXPECT_EQ(name, L"CORVANE");
    EXPECT_EQ(sid, SidBytes(kDomainSid));
  }
  ASSERT_EQ(PrimaryDomain(L"\\\\LABPC", name, sid), 0);
  EXPECT_EQ(name, L"LAB");
  EXPECT_TRUE(sid.empty());
  EXPECT_EQ(Service().LsaNtStatusToWinError(PrimaryDomain(L"\\\\NOSUCHPC", name, sid)),
            static_cast<ULONG>(RPC_S_SERVER_UNAVAILABLE));
}

struct TNames2 {
  BOOL ok;
  DWORD error;
  std::string name, domain;
  SID_NAME_USE use;
};

TNames2 LookupSid(const char* system, const std::vector<uint8_t>& sid, DWORD size = 128) {
  std::vector<uint8_t> copy = sid;
  std::string name(size, '\0'), domain(size, '\0');
  DWORD nameSize = size, domainSize = size;
  SID_NAME_USE use = SidTypeUnknown;
  SetLastError(0);
  const BOOL ok = Service().LookupAccountSidA(system, copy.data(), name.data(), &nameSize, domain.data(),
                                              &domainSize, &use);
  const DWORD error = ok ? 0 : GetLastError();
  if (!ok) return {ok, error, std::to_string(nameSize), std::to_string(domainSize), use};
  return {ok, error, name.c_str(), domain.c_str(), use};
}

TEST(SimulatedAccounts, SidsOfTheMachineItsDomainAndWellKnownAccounts) {
  const std::string server = "\\\\CORVSRV";
  TNames2 found = LookupSid(server.c_str(), SidBytes(std::string(kDomainSid) + "-1001"));
  EXPECT_TRUE(found.ok);
  EXPECT_EQ(found.name, "bob");
  EXPECT_EQ(found.domain, "CORVANE");
  EXPECT_EQ(found.use, SidTypeUser);
  found = LookupSid(server.c_str(), SidBytes(std::string(kServerSid) + "-1000"));
  EXPECT_EQ(found.name, "svcweb");
  EXPECT_EQ(found.domain, "CORVSRV");
  found = LookupSid(server.c_str(), SidBytes("S-1-5-18"));
  EXPECT_EQ(found.name, "SYSTEM");
  EXPECT_EQ(found.domain, "NT AUTHORITY");
  EXPECT_EQ(found.use, SidTypeWellKnownGroup);
  found = LookupSid(server.c_str(), SidBytes("S-1-5-32-544"));
  EXPECT_EQ(found.name, "Administrators");
  EXPECT_EQ(found.domain, "BUILTIN");
  EXPECT_EQ(found.use, SidTypeAlias);
  // Sizes too small: both needed sizes, terminators included.
  found = LookupSid(server.c_str(), SidBytes(std::string(kDomainSid) + "-1001"), 3);
  EXPECT_FALSE(found.ok);
  EXPECT_EQ(found.error, static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(found.name, "4");
  EXPECT_EQ(found.domain, "8");
  found = LookupSid(server.c_str(), SidBytes(std::string(kDomainSid) + "-4242"));
  EXPECT_EQ(found.error, static_cast<DWORD>(ERROR_NONE_MAPPED));
  EXPECT_EQ(LookupSid("\\\\NOSUCHPC", SidBytes("S-1-5-18")).error, static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
  // The local machine asks its domain for what the system cannot name.
  found = LookupSid(nullptr, SidBytes(std::string(kDomainSid) + "-1002"));
  EXPECT_TRUE(found.ok);
  EXPECT_EQ(found.name, "carol");
  EXPECT_EQ(found.domain, "CORVANE");
}

TEST(SimulatedAccounts, NamesQualifiedOrNot) {
  std::vector<uint8_t> sid(68);
  char domain[64] = {};
  DWORD sidSize = static_cast<DWORD>(sid.size()), domainSize = sizeof(domain);
  SID_NAME_USE use = SidTypeUnknown;
  ASSERT_TRUE(Service().LookupAccountNameA("\\\\CORVWKS", "CORVANE\\alice", sid.data(), &sidSize, domain,
                                           &domainSize, &use));
  sid.resize(sidSize);
  EXPECT_EQ(sid, SidBytes(std::string(kDomainSid) + "-1000"));
  EXPECT_STREQ(domain, "CORVANE");
  EXPECT_EQ(domainSize, 7u);
  EXPECT_EQ(use, SidTypeUser);
  // Asking for the sizes first, as the event-log component does.
  sidSize = 0;
  domainSize = 0;
  EXPECT_FALSE(Service().LookupAccountNameA("\\\\CORVWKS", "kiosk", nullptr, &sidSize, nullptr, &domainSize, &use));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(sidSize, 28u);
  EXPECT_EQ(domainSize, 8u);
  sidSize = 68;
  domainSize = sizeof(domain);
  sid.assign(68, 0);
  EXPECT_FALSE(Service().LookupAccountNameA("\\\\CORVWKS", "nobody", sid.data(), &sidSize, domain, &domainSize, &use));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NONE_MAPPED));
}

std::string QueryString(HKEY key, const char* name, DWORD& type, DWORD size = 512) {
  std::string data(size, '\0');
  const LSTATUS status =
      Service().RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(data.data()), &size);
  if (status != ERROR_SUCCESS) return "error " + std::to_string(status) + " size " + std::to_string(size);
  data.resize(size);
  return data;
}

TEST(SimulatedRegistry, ConnectEnumerateAndQueryARemoteMachine) {
  TRemoteKey root;
  ASSERT_EQ(Service().RegConnectRegistryA("\\\\CORVDC", HKEY_LOCAL_MACHINE, root.put()), ERROR_SUCCESS);
  // Not a key of the system's: the system refuses it.
  HKEY probe = nullptr;
  EXPECT_NE(RegOpenKeyExA(root.get(), "SYSTEM", 0, KEY_READ, &probe), ERROR_SUCCESS);

  TRemoteKey logs;
  ASSERT_EQ(Service().RegOpenKeyExA(root.get(), "SYSTEM\\CurrentControlSet\\Services\\EventLog\\", 0, KEY_READ,
                                    logs.put()),
            ERROR_SUCCESS);
  std::vector<std::string> names;
  for (DWORD index = 0;; ++index) {
    char name[16383];
    DWORD length = sizeof(name);
    const LSTATUS status = Service().RegEnumKeyExA(logs.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(status, ERROR_SUCCESS);
    EXPECT_EQ(length, strlen(name));
    names.push_back(name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Application", "Security", "System"}));
  char tiny[4];
  DWORD tinyLength = sizeof(tiny);
  EXPECT_EQ(Service().RegEnumKeyExA(logs.get(), 0, tiny, &tinyLength, nullptr, nullptr, nullptr, nullptr),
            ERROR_MORE_DATA);

  TRemoteKey application;
  ASSERT_EQ(Service().RegOpenKeyExA(logs.get(), "application", 0, KEY_READ, application.put()), ERROR_SUCCESS);
  DWORD type = 0;
  const std::string file = QueryString(application.get(), "File", type);
  EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(file, std::string("%SystemRoot%\\system32\\config\\AppEvent.Evt") + '\0');
  DWORD maxSize = 0, size = sizeof(maxSize);
  EXPECT_EQ(Service().RegQueryValueExA(application.get(), "MaxSize", nullptr, &type,
                                       reinterpret_cast<LPBYTE>(&maxSize), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(maxSize, 0x80000u);
  EXPECT_EQ(QueryString(application.get(), "Missing", type), "error 2 size 512");

  TRemoteKey sample;
  ASSERT_EQ(Service().RegOpenKeyExA(root.get(), "SOFTWARE\\Corvane\\Sample", 0, KEY_READ, sample.put()),
            ERROR_SUCCESS);
  // A text longer than a first buffer of 255 bytes: the size it needs, then all of it.
  const std::string motto = QueryString(sample.get(), "Motto", type, 255);
  EXPECT_EQ(motto, "error 234 size 341");
  EXPECT_EQ(QueryString(sample.get(), "Motto", type, 341).size(), 341u);
  DWORD seats = 0;
  size = sizeof(seats);
  EXPECT_EQ(Service().RegQueryValueExA(sample.get(), "Seats", nullptr, &type, reinterpret_cast<LPBYTE>(&seats), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(seats, 0xFFFFFFFFu);
  EXPECT_EQ(QueryString(sample.get(), "Serial", type), std::string("CV\x01\x00\xFF", 5));
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));

  TRemoteKey missing;
  EXPECT_EQ(Service().RegOpenKeyExA(root.get(), "SOFTWARE\\Nothing", 0, KEY_READ, missing.put()), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Service().RegOpenKeyExA(root.get(), "\\SOFTWARE", 0, KEY_READ, missing.put()), ERROR_BAD_PATHNAME);
  HKEY closed = nullptr;
  ASSERT_EQ(Service().RegOpenKeyExA(root.get(), "SOFTWARE", 0, KEY_READ, &closed), ERROR_SUCCESS);
  EXPECT_EQ(Service().RegCloseKey(closed), ERROR_SUCCESS);
  EXPECT_EQ(Service().RegCloseKey(closed), ERROR_INVALID_HANDLE);
  EXPECT_EQ(Service().RegEnumKeyExA(closed, 0, tiny, &tinyLength, nullptr, nullptr, nullptr, nullptr),
            ERROR_INVALID_HANDLE);

  TRemoteKey users;
  EXPECT_EQ(Service().RegConnectRegistryA("\\\\CORVDC", HKEY_CURRENT_USER, users.put()), ERROR_INVALID_HANDLE);
  TRemoteKey nowhere;
  EXPECT_EQ(Service().RegConnectRegistryA("\\\\NOSUCHPC", HKEY_LOCAL_MACHINE, nowhere.put()), ERROR_BAD_NETPATH);
}

TEST(SimulatedRegistry, EightBitRegistryOfAnOlderEditor) {
  TRemoteKey root;
  ASSERT_EQ(Service().RegConnectRegistryA("CORVWKS", HKEY_LOCAL_MACHINE, root.put()), ERROR_SUCCESS);
  TRemoteKey name;
  ASSERT_EQ(Service().RegOpenKeyExA(root.get(), "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName", 0,
                                    KEY_READ, name.put()),
            ERROR_SUCCESS);
  DWORD type = 0;
  EXPECT_EQ(QueryString(name.get(), "ComputerName", type), std::string("CORVWKS") + '\0');
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
}

std::vector<TReadRecord> RemoteLog(const char* machine, const char* log) {
  TUniqueLog handle(Service().OpenEventLogA(machine, log));
  if (!handle) {
    ADD_FAILURE() << "OpenEventLogA(" << machine << ", " << log << ") failed: " << GetLastError();
    return {};
  }
  return ReadAll(handle.get(), EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ);
}

TEST(SimulatedEventLogs, RemoteLogsReadTheirEvents) {
  const std::vector<TReadRecord> records = RemoteLog("\\\\CORVSRV", "Application");
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].source, "Payroll");
  EXPECT_EQ(records[0].computer, "CORVSRV");
  EXPECT_EQ(records[0].strings, std::vector<std::string>{"March"});
  EXPECT_EQ(records[0].timeGenerated, sample::EventTime(0));
  EXPECT_EQ(records[1].eventId, 0xC0000000u | 101);
  EXPECT_EQ(records[1].data, (std::vector<uint8_t>{0xDE, 0xAD, 0xBE, 0xEF}));
  // The SID of a record resolves on the machine the log belongs to.
  const TNames2 user = LookupSid("\\\\CORVSRV", records[1].sid);
  EXPECT_EQ(user.domain + "\\" + user.name, "CORVSRV\\svcweb");
  EXPECT_EQ(records[2].source, "Corvane Demo");

  EXPECT_EQ(RemoteLog("CORVDC", "Security").size(), 2u);
  EXPECT_EQ(RemoteLog("CORVDC", "System").size(), 1u);
  // A source name opens the log it is registered under on that machine.
  EXPECT_EQ(RemoteLog("CORVDC", "Disk Watch").size(), 1u);

  TUniqueLog log(Service().OpenEventLogA("\\\\CORVSRV", "Application"));
  ASSERT_TRUE(log);
  evtsvc::UniqueHandle event(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  EXPECT_FALSE(Service().NotifyChangeEventLog(log.get(), event.get()));

  SetLastError(0);
  EXPECT_EQ(Service().OpenEventLogA("\\\\NOSUCHPC", "Application"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
}

TEST(SimulatedEventLogs, EventsReportedToARemoteSourceLandInItsLogThere) {
  const size_t before = RemoteLog("\\\\CORVDC", "System").size();
  HANDLE source = Service().RegisterEventSourceA("\\\\CORVDC", "Disk Watch");
  ASSERT_NE(source, nullptr);
  const char* strings[] = {"F:", "7"};
  EXPECT_TRUE(Service().ReportEventA(source, EVENTLOG_WARNING_TYPE, 0, 0x800007DDu, nullptr, 2, 0, strings, nullptr));
  Service().DeregisterEventSource(source);
  const std::vector<TReadRecord> after = RemoteLog("\\\\CORVDC", "System");
  ASSERT_EQ(after.size(), before + 1);
  EXPECT_EQ(after.back().computer, "CORVDC");
  EXPECT_EQ(after.back().strings, (std::vector<std::string>{"F:", "7"}));
  // The file is the machine's own, below its folder.
  EXPECT_TRUE(std::filesystem::exists(TSampleNetworkEnvironment::folder_ / "CORVDC" / "system32" / "config" / "SysEvent.Evt"));
}

TEST(SimulatedNetwork, UnknownMachinesFailAsUnreachable) {
  LPBYTE raw = nullptr;
  DWORD read = 0, total = 0, resume = 0;
  DWORD_PTR resumePtr = 0;
  EXPECT_EQ(Service().NetUserEnum(L"\\\\NOSUCHPC", 0, 0, &raw, MAX_PREFERRED_LENGTH, &read, &total, &resume),
            static_cast<DWORD>(ERROR_BAD_NETPATH));
  EXPECT_EQ(Service().NetGroupEnum(L"\\\\NOSUCHPC", 0, &raw, MAX_PREFERRED_LENGTH, &read, &total, &resumePtr),
            static_cast<DWORD>(ERROR_BAD_NETPATH));
  EXPECT_EQ(Service().NetLocalGroupEnum(L"\\\\NOSUCHPC", 0, &raw, MAX_PREFERRED_LENGTH, &read, &total, &resumePtr),
            static_cast<DWORD>(ERROR_BAD_NETPATH));
  EXPECT_EQ(Service().NetServerEnum(L"\\\\NOSUCHPC", 100, &raw, MAX_PREFERRED_LENGTH, &read, &total, SV_TYPE_ALL,
                                    nullptr, &resume),
            static_cast<DWORD>(ERROR_BAD_NETPATH));
  EXPECT_EQ(Service().NetGetDCName(L"\\\\NOSUCHPC", nullptr, &raw), static_cast<DWORD>(ERROR_BAD_NETPATH));
}

TEST(SimulatedNetwork, WithoutTheVariableOnlyTheLocalMachineIsReachable) {
  const std::wstring folder = TSampleNetworkEnvironment::folder_.wstring();
  SetEnvironmentVariableW(L"CORVANE_NETWORK", nullptr);
  LPBYTE raw = nullptr;
  DWORD read = 0, total = 0, resume = 0;
  EXPECT_EQ(Service().NetUserEnum(L"\\\\CORVDC", 0, 0, &raw, MAX_PREFERRED_LENGTH, &read, &total, &resume),
            static_cast<DWORD>(ERROR_BAD_NETPATH));
  EXPECT_EQ(LookupSid("\\\\CORVDC", SidBytes("S-1-5-18")).error, static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
  SetEnvironmentVariableW(L"CORVANE_NETWORK", folder.c_str());
  EXPECT_EQ(Users(L"\\\\CORVDC", FILTER_NORMAL_ACCOUNT, MAX_PREFERRED_LENGTH).names.size(), 6u);
}

TEST(SimulatedNetwork, ABrokenMachineIsReportedAndHidesNoOther) {
  const std::filesystem::path broken = TSampleNetworkEnvironment::folder_.parent_path() /
                                       ("broken-" + std::to_string(GetCurrentProcessId()));
  std::filesystem::create_directories(broken / "BADPC");
  { std::ofstream(broken / "BADPC" / "accounts.txt") << "sid S-1-5-21-1\nrole chief\n"; }
  std::filesystem::create_directories(broken / "NOFILEPC");
  std::filesystem::create_directories(broken / "GOODPC");
  { std::ofstream(broken / "GOODPC" / "accounts.txt") << "sid S-1-5-21-2\nrole server\nuser 500 normal Admin\n"; }
  SetEnvironmentVariableW(L"CORVANE_NETWORK", broken.wstring().c_str());
  LPBYTE raw = nullptr;
  DWORD read = 0, total = 0, resume = 0;
  EXPECT_EQ(Service().NetUserEnum(L"\\\\BADPC", 0, 0, &raw, MAX_PREFERRED_LENGTH, &read, &total, &resume),
            static_cast<DWORD>(ERROR_INVALID_DATA));
  EXPECT_EQ(Service().NetUserEnum(L"\\\\NOFILEPC", 0, 0, &raw, MAX_PREFERRED_LENGTH, &read, &total, &resume),
            static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(Users(L"\\\\GOODPC", FILTER_NORMAL_ACCOUNT, MAX_PREFERRED_LENGTH).names.size(), 1u)
      << "a broken machine leaves the others served";
  SetEnvironmentVariableW(L"CORVANE_NETWORK", TSampleNetworkEnvironment::folder_.wstring().c_str());
  std::filesystem::remove_all(broken);
}

}  // namespace
}  // namespace corvane::network

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new corvane::network::TSampleNetworkEnvironment);
  return RUN_ALL_TESTS();
}
