// The network listings and domain queries of the component base, against fake network
// functions installed in the table entries.
#include <gtest/gtest.h>

#include <windows.h>
#include <ntsecapi.h>

#include "common/fake_net.h"
#include "framework/OleSysError.h"
#include "owner_control.h"
#include "system/NTCommon.h"
#include "system/Platform.h"
#include "system/Security.h"

namespace corvane {
namespace {

using namespace corvane::testing;

std::vector<std::string> Entries(const TStringList& list) { return {list.begin(), list.end()}; }

class NetQueries : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(buffersFreed, buffersAllocated) << "every batch goes back to the system";
  }
  FakeNetwork network;
  TestOwnerControl control;
  TNTPersistent component{nullptr};
};

TEST_F(NetQueries, UsersArriveAcrossSeveralPagesInDeliveryOrder) {
  fakeUsers.names = {L"alice", L"bob", L"carol", L"dave", L"eve"};
  auto users = component.GetUsers("\\\\HOST", AccountKind::Normal);
  EXPECT_EQ(Entries(*users), (std::vector<std::string>{"alice", "bob", "carol", "dave", "eve"}));
  EXPECT_EQ(fakeUsers.calls, 3);
  EXPECT_EQ(fakeUsers.resumes, (std::vector<DWORD>{0, 2, 4}));
  EXPECT_EQ(fakeUsers.servers, (std::vector<std::wstring>(3, L"\\\\HOST")));
  EXPECT_EQ(fakeUsers.levels, (std::vector<DWORD>(3, 0)));
  EXPECT_EQ(fakeUsers.maxLengths, (std::vector<DWORD>(3, 0x10000)));
  EXPECT_EQ(fakeUsers.filters, (std::vector<DWORD>(3, FILTER_NORMAL_ACCOUNT)));
}

TEST_F(NetQueries, AnErrorAtRunTimeEndsTheListingWithWhatWasListed) {
  fakeGroups.names = {L"Domain Admins", L"Domain Users", L"Domain Guests"};
  fakeGroups.failAt = 1;
  component.SetOwnerControl(&control);
  auto groups = component.GetGlobalGroups("");
  EXPECT_EQ(Entries(*groups), (std::vector<std::string>{"Domain Admins", "Domain Users"}));
  EXPECT_EQ(fakeGroups.calls, 2);

  // Without a hosting control there is no design mode either.
  fakeServers.names = {L"A", L"B", L"C"};
  fakeServers.failAt = 1;
  TNTPersistent alone(nullptr);
  EXPECT_EQ(Entries(*alone.GetServerList("", 3)), (std::vector<std::string>{"A", "B"}));
}

TEST_F(NetQueries, AnErrorInDesignModeIsRaisedAsANetworkError) {
  fakeLocalGroups.names = {L"Administrators", L"Users", L"Guests"};
  fakeLocalGroups.failAt = 1;
  control.designMode = true;
  component.SetOwnerControl(&control);
  try {
    component.GetLocalGroups("\\\\GONE");
    FAIL() << "no error raised";
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.ErrorCode(), kNetErrorCode);
    EXPECT_EQ(e.Message().rfind("53: ", 0), 0u) << e.Message();
  }
  fakeServers.failAt = 0;
  fakeServers.failCode = 2184;
  EXPECT_THROW(component.GetServers(""), EOleSysError);
}

TEST_F(NetQueries, EndOfFileEndsAGroupListingQuietlyEvenInDesignMode) {
  control.designMode = true;
  component.SetOwnerControl(&control);
  fakeGroups.names = {L"x"};
  fakeGroups.failAt = 0;
  fakeGroups.failCode = ERROR_HANDLE_EOF;
  EXPECT_EQ(component.GetGlobalGroups("")->Count(), 0);
  EXPECT_EQ(fakeGroups.calls, 1);
}

TEST_F(NetQueries, PagingStopsWhenTheSystemIsDoneOrDeliversNothing) {
  // The first total was an estimate above what exists: the finished enumeration is not restarted.
  fakeUsers.names = {L"a", L"b", L"c"};
  fakeUsers.pageSize = 10;
  fakeUsers.total = 8;
  EXPECT_EQ(component.GetUsers("", AccountKind::Normal)->Count(), 3);
  EXPECT_EQ(fakeUsers.calls, 1);

  // "More data" with an empty page does not repeat forever.
  fakeGroups.names = {L"g1", L"g2", L"g3", L"g4", L"g5"};
  fakeGroups.emptyFrom = 1;
  EXPECT_EQ(Entries(*component.GetGlobalGroups("")), (std::vector<std::string>{"g1", "g2"}));
  EXPECT_EQ(fakeGroups.calls, 2);
}

TEST_F(NetQueries, ServersAreListedFromTheLocalMachineWithTwoLeadingBackslashes) {
  fakeServers.names = {L"DC1", L"FILES", L"WS7"};
  auto servers = component.GetServers("");
  EXPECT_EQ(Entries(*servers), (std::vector<std::string>{"\\\\DC1", "\\\\FILES", "\\\\WS7"}));
  EXPECT_EQ(fakeServers.calls, 2);
  EXPECT_EQ(fakeServers.servers[0], L"");
  EXPECT_EQ(fakeServers.levels[0], 100u);
  EXPECT_EQ(fakeServers.serverTypes[0], 0xFFFFFFFFu);
  EXPECT_TRUE(fakeServers.domainsNull[0]);

  fakeServers = FakeEnumeration();
  fakeServers.names = {L"DC1"};
  component.GetServerList("\\\\DC1", SV_TYPE_DOMAIN_CTRL);
  EXPECT_EQ(fakeServers.serverTypes, (std::vector<DWORD>{SV_TYPE_DOMAIN_CTRL}));
  EXPECT_EQ(fakeServers.servers[0], L"\\\\DC1");
}

TEST_F(NetQueries, ServerNamesTheSystemWouldCutAreRefusedBeforeAnyCall) {
  const std::string longest = "\\\\" + std::string(253, 'S');
  component.GetUsers(longest, AccountKind::Normal);
  ASSERT_EQ(fakeUsers.servers.size(), 1u);
  EXPECT_EQ(fakeUsers.servers[0].size(), 255u) << "passed whole";
  try {
    component.GetUsers(longest + "S", AccountKind::Normal);
    FAIL() << "a longer name was taken";
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.Message(),
              "The Server argument of GetUsers can hold at most 255 characters; this one has 256.");
  }
  try {
    component.GetAccounts(std::string("\\\\A\0B", 5), AccountList::LocalGroups);
    FAIL() << "a name with a NUL was taken";
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.Message().rfind("The Server argument of GetAccounts cannot hold a NUL", 0), 0u);
  }
  EXPECT_EQ(fakeUsers.calls + fakeLocalGroups.calls, 1);
}

TEST_F(NetQueries, AccountsJoinTheChosenKindsInTheirOrder) {
  fakeLocalGroups.names = {L"Administrators", L"Users"};
  fakeGroups.names = {L"Domain Admins"};
  fakeUsers.names = {L"alice"};
  EXPECT_EQ(Entries(*component.GetAccounts("", AccountList::LocalGroups)),
            (std::vector<std::string>{"Administrators", "Users"}));
  EXPECT_EQ(Entries(*component.GetAccounts("", AccountList::GlobalGroups)),
            (std::vector<std::string>{"Domain Admins"}));
  EXPECT_EQ(Entries(*component.GetAccounts("", AccountList::Users)),
            (std::vector<std::string>{"alice"}));
  EXPECT_EQ(fakeUsers.filters, (std::vector<DWORD>{0x0A}));
  EXPECT_EQ(Entries(*component.GetAccounts("\\\\H", 7)),
            (std::vector<std::string>{"Administrators", "Users", "Domain Admins", "alice"}));
  EXPECT_EQ(fakeLocalGroups.servers.back(), L"\\\\H");
  EXPECT_EQ(component.GetAccounts("", 0)->Count(), 0);
}

TEST_F(NetQueries, ALoneGlobalGroupNamedNoneIsLeftOut) {
  fakeGroups.names = {L"nOnE"};
  EXPECT_EQ(component.GetAccounts("", AccountList::GlobalGroups)->Count(), 0);
  fakeGroups = FakeEnumeration();
  fakeGroups.names = {L"None", L"Staff"};
  EXPECT_EQ(Entries(*component.GetAccounts("", AccountList::GlobalGroups)),
            (std::vector<std::string>{"None", "Staff"}));
  // The rule is for the accounts listing only.
  fakeGroups = FakeEnumeration();
  fakeGroups.names = {L"None"};
  EXPECT_EQ(component.GetGlobalGroups("")->Count(), 1);
}

TEST_F(NetQueries, UserFilterKeepsOnlyTheBitsThatNameAccountKinds) {
  EXPECT_EQ(AccountKindsToFilter(FilterToAccountKinds(0x7F)), 0x3Bu);
  EXPECT_EQ(FilterToAccountKinds(0x04), 0);
  EXPECT_EQ(FilterToAccountKinds(0xFFFFFFC4), 0);
  EXPECT_EQ(AccountKindsToFilter(AccountKind::InterdomainTrust | AccountKind::ServerTrust), 0x28u);

  fakeUsers.names = {L"u"};
  component.GetUsers("", FilterToAccountKinds(0xFF));
  component.GetUsers("", FilterToAccountKinds(4));
  EXPECT_EQ(fakeUsers.filters, (std::vector<DWORD>{0x3B, 0}));
}

// Reports the Windows 95 family; nothing else is asked of it here.
class Windows95 : public SystemPlatform {
 public:
  HMODULE LoadLibrary(const char*) override { return nullptr; }
  void* GetProcAddress(HMODULE, const char*) override { return nullptr; }
  int MessageBox(const char*, const char*, UINT) override { return IDOK; }
  BOOL GetVersionEx(OSVERSIONINFOA* info) override {
    info->dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
    return TRUE;
  }
  std::string Environment(const char*) override { return std::string(); }
};

TEST_F(NetQueries, LocalGroupsAreNotAskedForOnTheWindows95Family) {
  fakeLocalGroups.names = {L"Administrators"};
  Windows95 platform;
  ScopedPlatform use(platform);
  EXPECT_EQ(component.GetLocalGroups("")->Count(), 0);
  EXPECT_EQ(fakeLocalGroups.calls, 0);
}

// Domain controllers and the primary domain.
struct FakeDomain {
  NET_API_STATUS dcResult = NERR_Success;
  std::wstring dcName = L"\\\\DC1";
  std::vector<std::wstring> domainsAsked;
  NTSTATUS openStatus = 0;
  NTSTATUS queryStatus = 0;
  std::wstring policySystem;
  ACCESS_MASK access = 0;
  POLICY_INFORMATION_CLASS infoClass = PolicyAuditLogInformation;
  int policiesOpen = 0;
  int lsaBuffers = 0;
};
FakeDomain fakeDomain;

LPBYTE CopyName(const std::wstring& name) {
  auto* buffer = static_cast<LPBYTE>(std::calloc(name.size() + 1, sizeof(WCHAR)));
  std::memcpy(buffer, name.c_str(), name.size() * sizeof(WCHAR));
  ++buffersAllocated;
  return buffer;
}

NET_API_STATUS WINAPI FakeGetDCName(LPCWSTR server, LPCWSTR domain, LPBYTE* buffer) {
  EXPECT_EQ(server, nullptr);
  EXPECT_EQ(domain, nullptr);
  *buffer = CopyName(fakeDomain.dcName);
  return fakeDomain.dcResult;
}

NET_API_STATUS WINAPI FakeGetAnyDCName(LPCWSTR server, LPCWSTR domain, LPBYTE* buffer) {
  EXPECT_EQ(server, nullptr);
  fakeDomain.domainsAsked.emplace_back(domain);
  *buffer = CopyName(fakeDomain.dcName);
  return fakeDomain.dcResult;
}

NTSTATUS NTAPI FakeLsaOpenPolicy(PLSA_UNICODE_STRING system, PLSA_OBJECT_ATTRIBUTES, ACCESS_MASK access,
                                 PLSA_HANDLE handle) {
  fakeDomain.policySystem.assign(system->Buffer, system->Length / sizeof(WCHAR));
  fakeDomain.access = access;
  if (fakeDomain.openStatus) return fakeDomain.openStatus;
  ++fakeDomain.policiesOpen;
  *handle = reinterpret_cast<LSA_HANDLE>(0x1234);
  return 0;
}

NTSTATUS NTAPI FakeLsaQueryInformationPolicy(LSA_HANDLE, POLICY_INFORMATION_CLASS infoClass, PVOID* buffer) {
  fakeDomain.infoClass = infoClass;
  if (fakeDomain.queryStatus) return fakeDomain.queryStatus;
  // The counted name is not terminated: "CORP" followed by more characters.
  static const wchar_t text[] = L"CORPXYZ";
  auto* info = static_cast<POLICY_PRIMARY_DOMAIN_INFO*>(std::calloc(1, sizeof(POLICY_PRIMARY_DOMAIN_INFO)));
  info->Name.Buffer = const_cast<PWSTR>(text);
  info->Name.Length = 4 * sizeof(WCHAR);
  info->Name.MaximumLength = 4 * sizeof(WCHAR);
  ++fakeDomain.lsaBuffers;
  *buffer = info;
  return 0;
}

NTSTATUS NTAPI FakeLsaFreeMemory(PVOID buffer) {
  --fakeDomain.lsaBuffers;
  std::free(buffer);
  return 0;
}

NTSTATUS NTAPI FakeLsaClose(LSA_HANDLE) {
  --fakeDomain.policiesOpen;
  return 0;
}

class DomainQueries : public NetQueries {
 protected:
  DomainQueries() { fakeDomain = FakeDomain(); }
  ~DomainQueries() override {
    EXPECT_EQ(fakeDomain.policiesOpen, 0);
    EXPECT_EQ(fakeDomain.lsaBuffers, 0);
  }
  ScopedEntry<decltype(&::NetGetDCName)> dc_{NetApi.NetGetDCName, &FakeGetDCName};
  ScopedEntry<decltype(&::NetGetAnyDCName)> anyDc_{NetApi.NetGetAnyDCName, &FakeGetAnyDCName};
  ScopedEntry<decltype(&::LsaOpenPolicy)> open_{SecurityApi.LsaOpenPolicy, &FakeLsaOpenPolicy};
  ScopedEntry<decltype(&::LsaQueryInformationPolicy)> query_{SecurityApi.LsaQueryInformationPolicy,
                                                             &FakeLsaQueryInformationPolicy};
  ScopedEntry<decltype(&::LsaFreeMemory)> free_{SecurityApi.LsaFreeMemory, &FakeLsaFreeMemory};
  ScopedEntry<decltype(&::LsaClose)> close_{SecurityApi.LsaClose, &FakeLsaClose};
};

TEST_F(DomainQueries, DomainControllersAreNamedAndTheirErrorsAlwaysRaised) {
  EXPECT_EQ(component.PrimaryDomainController(), "\\\\DC1");
  EXPECT_EQ(component.GetAnyDomainController("CORP"), "\\\\DC1");
  EXPECT_EQ(fakeDomain.domainsAsked, (std::vector<std::wstring>{L"CORP"}));

  fakeDomain.dcResult = 2453;  // no domain controller
  try {
    component.PrimaryDomainController();
    FAIL() << "no error raised";
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.ErrorCode(), kNetErrorCode);
    EXPECT_EQ(e.Message().rfind("2453: ", 0), 0u) << e.Message();
  }
  EXPECT_THROW(component.GetAnyDomainController("CORP"), EOleSysError);
}

TEST_F(DomainQueries, PrimaryDomainNameAsksTheControllersAuthorityAndReadsTheCountedName) {
  EXPECT_EQ(component.PrimaryDomainName(), "CORP");
  EXPECT_EQ(fakeDomain.policySystem, L"\\\\DC1");
  EXPECT_EQ(fakeDomain.access, static_cast<ACCESS_MASK>(POLICY_VIEW_LOCAL_INFORMATION));
  EXPECT_EQ(fakeDomain.infoClass, PolicyPrimaryDomainInformation);

  fakeDomain.queryStatus = static_cast<NTSTATUS>(0xC0000022);  // access denied
  try {
    component.PrimaryDomainName();
    FAIL() << "no error raised";
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.ErrorCode(), kSystemErrorCode);
  }
  fakeDomain.queryStatus = 0;
  fakeDomain.openStatus = static_cast<NTSTATUS>(0xC0000022);
  EXPECT_THROW(component.PrimaryDomainName(), EOleSysError);
  fakeDomain.openStatus = 0;
  fakeDomain.dcResult = 2453;
  EXPECT_THROW(component.PrimaryDomainName(), EOleSysError);
  EXPECT_TRUE(fakeDomain.policySystem == L"\\\\DC1");
}

}  // namespace
}  // namespace corvane
