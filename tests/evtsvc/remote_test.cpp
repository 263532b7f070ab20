// Machines: the local computer by any of its names, and every other name failing as the system
// fails for an unreachable machine. The registry, account and network entries pass through to
// the system for this computer.
#include <windows.h>
// After windows.h:
#include <lm.h>
#include <ntsecapi.h>

#include <gtest/gtest.h>

#include <cctype>

#include "ServiceLibrary.h"
#include "TestSupport.h"

namespace corvane::evtsvc::test {
namespace {

const char kRemote[] = "\\\\CORVANE-NO-SUCH-HOST";
const wchar_t kRemoteW[] = L"\\\\CORVANE-NO-SUCH-HOST";

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::vector<uint8_t> CurrentUserSid(std::string* user) {
  char name[256];
  DWORD size = sizeof(name);
  EXPECT_TRUE(GetUserNameA(name, &size));
  *user = name;
  const TServiceLibrary& svc = TServiceLibrary::Get();
  DWORD sidSize = 0;
  char domain[256];
  DWORD domainSize = sizeof(domain);
  SID_NAME_USE use;
  svc.LookupAccountNameA(nullptr, name, nullptr, &sidSize, domain, &domainSize, &use);
  std::vector<uint8_t> sid(sidSize);
  domainSize = sizeof(domain);
  EXPECT_TRUE(svc.LookupAccountNameA(nullptr, name, sid.data(), &sidSize, domain, &domainSize, &use))
      << GetLastError();
  return sid;
}

TEST(TRemoteMachine, EventLogCallsFailAsForAnUnreachableMachine) {
  const TServiceLibrary& svc = TServiceLibrary::Get();
  for (const char* server : {kRemote, kRemote + 2}) {
    SetLastError(0);
    EXPECT_EQ(svc.OpenEventLogA(server, "Application"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE)) << server;
    EXPECT_EQ(svc.RegisterEventSourceA(server, "Application"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE)) << server;
    EXPECT_EQ(svc.OpenBackupEventLogA(server, CORVANE_SHARED_DIR "/data/AppEvent.Evt"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE)) << server;
  }
  // A missing name is reported before the machine is looked for.
  EXPECT_EQ(svc.OpenEventLogA(kRemote, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(TRemoteMachine, RegistryAccountAndNetworkCallsFailToo) {
  const TServiceLibrary& svc = TServiceLibrary::Get();
  HKEY key = nullptr;
  EXPECT_EQ(svc.RegConnectRegistryA(kRemote, HKEY_LOCAL_MACHINE, &key), ERROR_BAD_NETPATH);

  std::string user;
  std::vector<uint8_t> sid = CurrentUserSid(&user);
  char name[256];
  DWORD nameSize = sizeof(name);
  char domain[256];
  DWORD domainSize = sizeof(domain);
  SID_NAME_USE use;
  EXPECT_FALSE(svc.LookupAccountSidA(kRemote, sid.data(), name, &nameSize, domain, &domainSize, &use));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
  DWORD sidSize = static_cast<DWORD>(sid.size());
  domainSize = sizeof(domain);
  EXPECT_FALSE(svc.LookupAccountNameA(kRemote, user.c_str(), sid.data(), &sidSize, domain, &domainSize, &use));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));

  LSA_UNICODE_STRING system{static_cast<USHORT>(wcslen(kRemoteW) * 2), static_cast<USHORT>(wcslen(kRemoteW) * 2),
                            const_cast<PWSTR>(kRemoteW)};
  LSA_OBJECT_ATTRIBUTES attributes{};
  LSA_HANDLE policy = nullptr;
  const NTSTATUS status = svc.LsaOpenPolicy(&system, &attributes, POLICY_VIEW_LOCAL_INFORMATION, &policy);
  EXPECT_EQ(svc.LsaNtStatusToWinError(status), static_cast<ULONG>(RPC_S_SERVER_UNAVAILABLE));

  LPBYTE buffer = nullptr;
  DWORD read = 0;
  DWORD total = 0;
  DWORD_PTR resume = 0;
  EXPECT_EQ(svc.NetServerEnum(kRemoteW, 100, &buffer, MAX_PREFERRED_LENGTH, &read, &total, SV_TYPE_ALL,
                              nullptr, nullptr),
            static_cast<NET_API_STATUS>(ERROR_BAD_NETPATH));
  EXPECT_EQ(svc.NetUserEnum(kRemoteW, 0, 0, &buffer, MAX_PREFERRED_LENGTH, &read, &total, nullptr),
            static_cast<NET_API_STATUS>(ERROR_BAD_NETPATH));
  EXPECT_EQ(svc.NetGroupEnum(kRemoteW, 0, &buffer, MAX_PREFERRED_LENGTH, &read, &total, &resume),
            static_cast<NET_API_STATUS>(ERROR_BAD_NETPATH));
  EXPECT_EQ(svc.NetLocalGroupEnum(kRemoteW, 0, &buffer, MAX_PREFERRED_LENGTH, &read, &total, &resume),
            static_cast<NET_API_STATUS>(ERROR_BAD_NETPATH));
  EXPECT_EQ(svc.NetGetDCName(kRemoteW, nullptr, &buffer), static_cast<NET_API_STATUS>(ERROR_BAD_NETPATH));
  EXPECT_EQ(svc.NetGetAnyDCName(kRemoteW, nullptr, &buffer), static_cast<NET_API_STATUS>(ERROR_BAD_NETPATH));
}

TEST(TLocalMachine, IsReachedByAnyOfItsNames) {
  const TServiceLibrary& svc = TServiceLibrary::Get();
  const std::string computer = LocalComputerName();
  for (const std::string& server : {std::string(), "\\\\" + computer, Lower(computer), std::string("localhost")}) {
    const TUniqueLog log(svc.OpenEventLogA(server.c_str(), "Application"));
    EXPECT_TRUE(log) << "'" << server << "': " << GetLastError();
    HKEY key = nullptr;
    EXPECT_EQ(svc.RegConnectRegistryA(server.c_str(), HKEY_LOCAL_MACHINE, &key), ERROR_SUCCESS) << server;
    if (key) {
      EXPECT_EQ(svc.RegCloseKey(key), ERROR_SUCCESS);
    }
  }
}

TEST(TLocalMachine, RegistryEntriesReadTheLocalRegistry) {
  const TServiceLibrary& svc = TServiceLibrary::Get();
  TUniqueLog application(svc.OpenEventLogA(nullptr, "Application"));  // makes sure the log exists
  HKEY root = nullptr;
  ASSERT_EQ(svc.RegConnectRegistryA(nullptr, HKEY_LOCAL_MACHINE, &root), ERROR_SUCCESS);
  HKEY logs = nullptr;
  ASSERT_EQ(svc.RegOpenKeyExA(root, "SYSTEM\\CurrentControlSet\\Services\\EventLog", 0, KEY_READ, &logs),
            ERROR_SUCCESS);
  bool found = false;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof(name);
    if (svc.RegEnumKeyExA(logs, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    found = found || Lower(name) == "application";
  }
  EXPECT_TRUE(found);
  HKEY app = nullptr;
  ASSERT_EQ(svc.RegOpenKeyExA(logs, "Application", 0, KEY_READ, &app), ERROR_SUCCESS);
  DWORD type = 0;
  DWORD size = sizeof(name);
  EXPECT_EQ(svc.RegQueryValueExA(app, "File", nullptr, &type, reinterpret_cast<BYTE*>(name), &size), ERROR_SUCCESS);
  EXPECT_TRUE(type == REG_EXPAND_SZ || type == REG_SZ);
  EXPECT_EQ(svc.RegCloseKey(app), ERROR_SUCCESS);
  EXPECT_EQ(svc.RegCloseKey(logs), ERROR_SUCCESS);
  EXPECT_EQ(svc.RegCloseKey(root), ERROR_SUCCESS);
}

TEST(TLocalMachine, AccountsAndSidsResolveLocally) {
  const TServiceLibrary& svc = TServiceLibrary::Get();
  std::string user;
  std::vector<uint8_t> sid = CurrentUserSid(&user);
  ASSERT_FALSE(sid.empty());
  EXPECT_EQ(svc.GetLengthSid(sid.data()), sid.size());
  std::vector<uint8_t> copy = sid;
  EXPECT_TRUE(svc.EqualSid(sid.data(), copy.data()));
  char name[256];
  DWORD nameSize = sizeof(name);
  char domain[256];
  DWORD domainSize = sizeof(domain);
  SID_NAME_USE use;
  ASSERT_TRUE(svc.LookupAccountSidA(nullptr, sid.data(), name, &nameSize, domain, &domainSize, &use))
      << GetLastError();
  EXPECT_EQ(Lower(name), Lower(user));
}

TEST(TLocalMachine, PolicyAndNetworkEntriesAnswerForThisComputer) {
  const TServiceLibrary& svc = TServiceLibrary::Get();
  LSA_OBJECT_ATTRIBUTES attributes{};
  LSA_HANDLE policy = nullptr;
  ASSERT_EQ(svc.LsaOpenPolicy(nullptr, &attributes, POLICY_VIEW_LOCAL_INFORMATION, &policy), 0);
  void* info = nullptr;
  EXPECT_EQ(svc.LsaQueryInformationPolicy(policy, PolicyPrimaryDomainInformation, &info), 0);
  if (info) {
    EXPECT_EQ(svc.LsaFreeMemory(info), 0);
  }
  EXPECT_EQ(svc.LsaClose(policy), 0);

  LPBYTE buffer = nullptr;
  DWORD read = 0;
  DWORD total = 0;
  ASSERT_EQ(svc.NetUserEnum(nullptr, 0, 0, &buffer, MAX_PREFERRED_LENGTH, &read, &total, nullptr), 0u);
  EXPECT_GT(read, 0u);
  EXPECT_EQ(svc.NetApiBufferFree(buffer), 0u);
}

}  // namespace
}  // namespace corvane::evtsvc::test
