// User names of items: resolved once through the account cache on the owning component's
// machine, "N/A" without a SID or when the machine cannot name it. The system's lookup is
// replaced at the table boundary so that its calls can be counted and answered.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "RecordBuilder.h"
#include "core/EventItem.h"
#include "core/SidStore.h"
#include "system/NTCommon.h"
#include "system/NT_vs_95.h"
#include "system/SystemTables.h"
#include "system/TableEntry.h"

namespace corvane {
namespace {

struct LookupRecorder {
  std::vector<std::string> machines;  // "(local)" for a null machine name
  bool succeed = true;
  std::string account = "Alice";
  std::string domain = "CORP";
};
LookupRecorder* recorder = nullptr;

BOOL WINAPI FakeLookupAccountSid(LPCSTR machine, PSID, LPSTR name, LPDWORD nameSize,
                                 LPSTR domain, LPDWORD domainSize, PSID_NAME_USE use) {
  recorder->machines.push_back(machine ? machine : "(local)");
  if (!recorder->succeed) {
    SetLastError(ERROR_NONE_MAPPED);
    return FALSE;
  }
  std::strncpy(name, recorder->account.c_str(), *nameSize);
  std::strncpy(domain, recorder->domain.c_str(), *domainSize);
  *use = SidTypeUser;
  return TRUE;
}

class Username : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { BindSystemTables(); }
  void SetUp() override {
    GlobalSidStore().Clear();
    recorder = &calls;
  }
  void TearDown() override {
    recorder = nullptr;
    GlobalSidStore().Clear();
  }

  void GiveSid(TEventItem& item, const std::vector<uint8_t>& sid) {
    item.SetSid(sid.data(), static_cast<int32_t>(sid.size()));
  }

  LookupRecorder calls;
  ScopedEntry<decltype(&::LookupAccountSidA)> fake{EventLogApi.LookupAccountSidA,
                                                   &FakeLookupAccountSid};
};

TEST_F(Username, WithoutASidItIsNotApplicableAndNothingIsAsked) {
  TEventItem item(nullptr);
  EXPECT_EQ(item.Username(), "N/A");
  EXPECT_EQ(item.Username(), "N/A");
  EXPECT_TRUE(calls.machines.empty());
}

TEST_F(Username, IsDomainBackslashAccountAskedOnceOnTheOwnersMachine) {
  TNTPersistent component(nullptr);
  component.SetMachineName("\\\\FARAWAY");
  TEventItem item(&component);
  GiveSid(item, testing::DomainUserSid(1003));
  EXPECT_EQ(item.Username(), "CORP\\Alice");
  EXPECT_EQ(item.Username(), "CORP\\Alice");
  EXPECT_EQ(calls.machines, std::vector<std::string>{"\\\\FARAWAY"});

  // Another item with the same SID is answered by the cache.
  TEventItem second(nullptr);
  GiveSid(second, testing::DomainUserSid(1003));
  EXPECT_EQ(second.Username(), "CORP\\Alice");
  EXPECT_EQ(calls.machines.size(), 1u);
}

TEST_F(Username, AnItemWithoutOwnerAsksTheLocalMachine) {
  TEventItem item(nullptr);
  GiveSid(item, testing::DomainUserSid(1004));
  item.Username();
  EXPECT_EQ(calls.machines, std::vector<std::string>{"(local)"});
}

TEST_F(Username, AFailedLookupIsNotApplicableAndNotRetriedByTheItem) {
  calls.succeed = false;
  TEventItem item(nullptr);
  GiveSid(item, testing::DomainUserSid(1005));
  EXPECT_EQ(item.Username(), "N/A");
  calls.succeed = true;
  EXPECT_EQ(item.Username(), "N/A");
  EXPECT_EQ(calls.machines.size(), 1u);

  // Nothing was cached: another item asks again and gets the name.
  TEventItem other(nullptr);
  GiveSid(other, testing::DomainUserSid(1005));
  EXPECT_EQ(other.Username(), "CORP\\Alice");
  EXPECT_EQ(calls.machines.size(), 2u);
}

TEST_F(Username, TheLocalSystemAccountHasAnEmptyDomain) {
  calls.account = "SYSTEM";
  calls.domain = "NT AUTHORITY";
  TEventItem item(nullptr);
  GiveSid(item, testing::LocalSystemSid());
  EXPECT_EQ(item.Username(), "\\SYSTEM");
}

TEST_F(Username, ANewSidIsResolvedAnew) {
  TEventItem item(nullptr);
  EXPECT_EQ(item.Username(), "N/A");
  GiveSid(item, testing::DomainUserSid(1006));
  EXPECT_EQ(item.Username(), "CORP\\Alice") << "the N/A of the item without SID is not kept";

  calls.account = "Bob";
  GiveSid(item, testing::DomainUserSid(1007));
  EXPECT_EQ(item.Username(), "CORP\\Bob");

  // A copy resolves the SID it received, not the name its target had before.
  TEventItem target(nullptr);
  GiveSid(target, testing::DomainUserSid(1006));
  EXPECT_EQ(target.Username(), "CORP\\Alice");
  target.Assign(item);
  EXPECT_EQ(target.Username(), "CORP\\Bob");
}

TEST_F(Username, ASidShorterThanItClaimsIsNotHandedToTheSystem) {
  std::vector<uint8_t> sid = testing::DomainUserSid(1008);
  sid.resize(sid.size() - 4);  // states five sub-authorities, holds four
  TEventItem item(nullptr);
  GiveSid(item, sid);
  EXPECT_EQ(item.Username(), "N/A");
  EXPECT_TRUE(calls.machines.empty());
}

TEST(UsernameOnThisMachine, TheSystemNamesTheLocalSystemAccountOfARecord) {
  BindSystemTables();
  GlobalSidStore().Clear();
  testing::RecordFields f;
  f.sid = testing::LocalSystemSid();
  const testing::ExactBuffer buffer(testing::BuildRecord(f));
  TEventItem item(nullptr);
  item.LoadFromRecord(buffer.data(), buffer.size());
  const std::string name = item.Username();
  EXPECT_EQ(name.rfind("\\", 0), 0u) << name;
  EXPECT_GT(name.size(), 1u) << name;
  GlobalSidStore().Clear();
}

}  // namespace
}  // namespace corvane
