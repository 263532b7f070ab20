// Account names of SIDs through the process-wide cache: asked once, remembered across machines,
// failures asked again; and the well-known accounts listed by the component base.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "common/fake_net.h"
#include "core/SidLookup.h"
#include "core/SidStore.h"
#include "system/NTCommon.h"
#include "system/NT_vs_95.h"

namespace corvane {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes WellKnown(uint8_t authority, uint8_t sub) { return {1, 1, 0, 0, 0, 0, 0, authority, sub, 0, 0, 0}; }
Bytes DomainUser(uint8_t rid) { return {1, 2, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0, rid, 4, 0, 0}; }

struct FakeAccounts {
  std::map<Bytes, std::pair<std::string, std::string>> known;
  std::vector<std::string> machines;
  std::vector<DWORD> bufferSizes;
};
FakeAccounts accounts;

BOOL WINAPI FakeLookupAccountSidA(LPCSTR system, PSID sid, LPSTR name, LPDWORD nameSize,
                                  LPSTR domain, LPDWORD domainSize, PSID_NAME_USE use) {
  accounts.machines.push_back(system ? system : "(local)");
  accounts.bufferSizes.push_back(*nameSize);
  accounts.bufferSizes.push_back(*domainSize);
  const auto* bytes = static_cast<const uint8_t*>(sid);
  const Bytes key(bytes, bytes + GetLengthSid(sid));
  auto it = accounts.known.find(key);
  if (it == accounts.known.end()) {
    SetLastError(ERROR_NONE_MAPPED);
    return FALSE;
  }
  lstrcpynA(name, it->second.first.c_str(), static_cast<int>(*nameSize));
  lstrcpynA(domain, it->second.second.c_str(), static_cast<int>(*domainSize));
  *use = SidTypeWellKnownGroup;
  return TRUE;
}

class SidLookup : public ::testing::Test {
 protected:
  SidLookup() {
    GlobalSidStore().Clear();
    accounts = FakeAccounts();
    accounts.known[WellKnown(1, 0)] = {"Everyone", ""};
    accounts.known[WellKnown(5, 18)] = {"SYSTEM", "NT AUTHORITY"};
    accounts.known[WellKnown(5, 32)] = {"BUILTIN", "BUILTIN"};
    accounts.known[DomainUser(7)] = {"alice", "CORP"};
    // As library start installs it.
    SetAccountLookup(&LookupAccountBySid);
  }
  ~SidLookup() override {
    SetAccountLookup(nullptr);
    GlobalSidStore().Clear();
  }
  ScopedEntry<decltype(&::LookupAccountSidA)> lookup_{EventLogApi.LookupAccountSidA,
                                                      &FakeLookupAccountSidA};
};

TEST_F(SidLookup, ASidIsAskedForOnceAndThenAnsweredFromTheCacheForAnyMachine) {
  const Bytes user = DomainUser(7);
  std::string account, domain;
  ASSERT_TRUE(LookupAccountBySid("\\\\DC1", user.data(), account, domain));
  EXPECT_EQ(account, "alice");
  EXPECT_EQ(domain, "CORP");
  EXPECT_EQ(accounts.machines, (std::vector<std::string>{"\\\\DC1"}));
  EXPECT_EQ(accounts.bufferSizes, (std::vector<DWORD>{128, 128}));

  account.clear();
  ASSERT_TRUE(LookupAccountBySid("", user.data(), account, domain));
  ASSERT_TRUE(LookupAccountBySid("\\\\ELSEWHERE", user.data(), account, domain));
  EXPECT_EQ(account, "alice");
  EXPECT_EQ(domain, "CORP");
  EXPECT_EQ(accounts.machines.size(), 1u);
  EXPECT_EQ(GlobalSidStore().Count(), 1);
}

TEST_F(SidLookup, AFailedLookupIsNotRememberedAndAskedAgain) {
  const Bytes unknown = DomainUser(99);
  std::string account = "stale", domain = "stale";
  EXPECT_FALSE(LookupAccountBySid("", unknown.data(), account, domain));
  EXPECT_EQ(account, "");
  EXPECT_EQ(domain, "");
  EXPECT_FALSE(LookupAccountBySid("", unknown.data(), account, domain));
  EXPECT_EQ(accounts.machines, (std::vector<std::string>{"(local)", "(local)"}));
  EXPECT_EQ(GlobalSidStore().Count(), 0);

  // Once the machine can name it, the answer is kept.
  accounts.known[unknown] = {"bob", "CORP"};
  EXPECT_TRUE(LookupAccountBySid("", unknown.data(), account, domain));
  EXPECT_EQ(account, "bob");
  EXPECT_EQ(GlobalSidStore().Count(), 1);
}

TEST_F(SidLookup, MissingSecurityFunctionsMeanNoNameRatherThanAnError) {
  ScopedEntry<decltype(&::LookupAccountSidA)> missing(EventLogApi.LookupAccountSidA, nullptr);
  std::string account = "stale", domain;
  EXPECT_FALSE(LookupAccountBySid("", DomainUser(7).data(), account, domain));
  EXPECT_EQ(account, "");
  EXPECT_TRUE(accounts.machines.empty());
}

TEST_F(SidLookup, TheLocalSystemAccountHasNoDomain) {
  std::string account, domain;
  ASSERT_TRUE(LookupAccountBySid("", WellKnown(5, 18).data(), account, domain));
  EXPECT_EQ(account, "SYSTEM");
  EXPECT_EQ(domain, "");
  // From the cache alike.
  ASSERT_TRUE(LookupAccountBySid("", WellKnown(5, 18).data(), account, domain));
  EXPECT_EQ(domain, "");
  // Other accounts keep theirs.
  ASSERT_TRUE(LookupAccountBySid("", WellKnown(5, 32).data(), account, domain));
  EXPECT_EQ(domain, "BUILTIN");
}

TEST_F(SidLookup, WellKnownAccountsAreNamedOnThisComputerOnceAndListedByName) {
  // S-1-5-2 cannot be named; S-1-5-4 is named with an empty name: neither is listed.
  accounts.known[WellKnown(5, 1)] = {"DIALUP", "NT AUTHORITY"};
  accounts.known[WellKnown(5, 4)] = {"", "NT AUTHORITY"};
  accounts.known[WellKnown(3, 0)] = {"CREATOR OWNER", ""};
  TNTPersistent component(nullptr);
  auto list = component.GetAccounts("\\\\DC1", AccountList::WellKnown);
  EXPECT_EQ(std::vector<std::string>(list->begin(), list->end()),
            (std::vector<std::string>{"DIALUP", "SYSTEM", "BUILTIN", "Everyone", "CREATOR OWNER"}));
  EXPECT_EQ(accounts.machines, std::vector<std::string>(11, "(local)"));

  // Again: only the SIDs that failed are asked for; the rest come from the cache.
  accounts.machines.clear();
  list = component.GetAccounts("", AccountList::WellKnown);
  EXPECT_EQ(list->Count(), 5);
  EXPECT_EQ(accounts.machines.size(), 11u - 6u);
}

// Names each domain user SID "user<rid>"; safe from any thread, and slow enough that two
// threads asking for the same SID overlap.
BOOL WINAPI NameByRid(LPCSTR, PSID sid, LPSTR name, LPDWORD nameSize, LPSTR domain,
                      LPDWORD domainSize, PSID_NAME_USE use) {
  Sleep(1);
  const std::string account = "user" + std::to_string(static_cast<const uint8_t*>(sid)[12]);
  lstrcpynA(name, account.c_str(), static_cast<int>(*nameSize));
  lstrcpynA(domain, "CORP", static_cast<int>(*domainSize));
  *use = SidTypeUser;
  return TRUE;
}

// Two apartments, each on a thread of its own, name the same accounts at once: every answer is
// right and the shared cache holds each SID once.
TEST_F(SidLookup, TwoThreadsShareTheCacheSafely) {
  ScopedEntry<decltype(&::LookupAccountSidA)> byRid(EventLogApi.LookupAccountSidA, &NameByRid);
  constexpr int kUsers = 100;
  std::atomic<int> wrong{0};
  std::atomic<int> waiting{2};
  const auto work = [&] {
    for (--waiting; waiting > 0;) {
    }
    for (int round = 0; round < 2; ++round) {
      for (int rid = 0; rid < kUsers; ++rid) {
        std::string account, domain;
        const Bytes user = DomainUser(static_cast<uint8_t>(rid));
        if (!LookupAccountBySid("", user.data(), account, domain) ||
            account != "user" + std::to_string(rid) || domain != "CORP")
          ++wrong;
      }
    }
  };
  std::thread other(work);
  work();
  other.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_EQ(GlobalSidStore().Count(), kUsers);
}

TEST(SidLookupOnWine, WellKnownAccountsResolveThroughTheRealSecurityService) {
  GlobalSidStore().Clear();
  std::string account, domain;
  const Bytes system = WellKnown(5, 18);
  ASSERT_TRUE(LookupAccountBySid("", system.data(), account, domain));
  EXPECT_EQ(account, "SYSTEM");
  EXPECT_EQ(domain, "");
  const Bytes everyone = WellKnown(1, 0);
  ASSERT_TRUE(LookupAccountBySid("", everyone.data(), account, domain));
  EXPECT_EQ(account, "Everyone");
  EXPECT_EQ(GlobalSidStore().Count(), 2);
  GlobalSidStore().Clear();
}

}  // namespace
}  // namespace corvane
