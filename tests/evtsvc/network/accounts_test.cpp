// Accounts files and SIDs: what a file declares, the defaults it gets, and the files refused.
#include <gtest/gtest.h>

#include <string>

#include "evtsvc/network/Accounts.h"
#include "evtsvc/network/NetworkErrors.h"

namespace corvane::network {
namespace {

Accounts Parse(std::string_view text) {
  return ParseAccounts(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

std::string Refusal(std::string_view text) {
  try {
    Parse(text);
  } catch (const EOleSysError& error) {
    EXPECT_EQ(error.ErrorCode(), static_cast<int32_t>(kInvalidData));
    return error.Message();
  }
  return "accepted";
}

TEST(Sid, TextAndBytesRoundTripInTheSystemsLayout) {
  const auto sid = Sid::Parse("S-1-5-21-1842300351-2297310785-3960137720-1000");
  ASSERT_TRUE(sid);
  const std::vector<uint8_t> bytes = sid->Bytes();
  ASSERT_EQ(bytes.size(), 8u + 4 * 5);
  EXPECT_EQ(bytes[0], 1);
  EXPECT_EQ(bytes[1], 5);
  EXPECT_EQ(bytes[7], 5);
  EXPECT_EQ(bytes[8], 21);
  EXPECT_EQ(bytes[24], 0xE8);  // 1000, little-endian
  EXPECT_EQ(bytes[25], 0x03);
  EXPECT_EQ(Sid::FromBytes(bytes.data(), bytes.size()), sid);
  EXPECT_EQ(sid->Text(), "S-1-5-21-1842300351-2297310785-3960137720-1000");
  EXPECT_EQ(Sid::Parse("S-1-0x123456789ABC")->Text(), "S-1-0x123456789ABC");
  const auto split = sid->SplitRid();
  ASSERT_TRUE(split);
  EXPECT_EQ(split->second, 1000u);
  EXPECT_EQ(split->first.WithRid(1000), *sid);
}

TEST(Sid, MalformedTextAndBytesAreRefused) {
  for (const char* text : {"", "S-1", "S-2-5", "S-1-5-", "S-1-x", "S-1-5-4294967296", "X-1-5",
                           "S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15-16", "S-1-0x1000000000000"}) {
    EXPECT_FALSE(Sid::Parse(text)) << text;
  }
  const std::vector<uint8_t> good = Sid::Parse("S-1-5-18")->Bytes();
  EXPECT_FALSE(Sid::FromBytes(good.data(), good.size() - 1));
  std::vector<uint8_t> longer = good;
  longer.push_back(0);
  EXPECT_FALSE(Sid::FromBytes(longer.data(), longer.size()));
  std::vector<uint8_t> lying = good;
  lying[1] = 2;  // claims a second sub-authority it does not have
  EXPECT_FALSE(Sid::FromBytes(lying.data(), lying.size()));
  EXPECT_FALSE(Sid::FromBytes(nullptr, 0));
}

TEST(AccountsFile, DeclaresTheMachineAndItsAccountsInRidOrder) {
  const Accounts accounts = Parse(
      "\xEF\xBB\xBF# a member server\r\n"
      "sid S-1-5-21-1-2-3\r\n"
      "role server\r\n"
      "domain CORVANE\r\n"
      "comment Payroll  server\r\n"
      "user 1001 normal Second User\r\n"
      "user 1000 workstation-trust WKS$\r\n"
      "; a comment\r\n"
      "USER 1002 Temp-Duplicate old\r\n"
      "group 513 None\r\n"
      "local-group 1003 Log Readers\r\n"
      "builtin-group 544 Administrators\r\n");
  EXPECT_EQ(accounts.sid.Text(), "S-1-5-21-1-2-3");
  EXPECT_EQ(accounts.role, TRole::Server);
  EXPECT_EQ(accounts.domain, u"CORVANE");
  EXPECT_TRUE(accounts.inDomain);
  EXPECT_EQ(accounts.comment, u"Payroll  server");
  EXPECT_EQ(accounts.serverType, DefaultServerType(TRole::Server, true));
  ASSERT_EQ(accounts.users.size(), 3u);
  EXPECT_EQ(accounts.users[0].name, u"WKS$");
  EXPECT_EQ(accounts.users[0].kind, kFilterWorkstationTrust);
  EXPECT_EQ(accounts.users[1].name, u"Second User");
  EXPECT_EQ(accounts.users[2].kind, kFilterTempDuplicate);
  EXPECT_EQ(accounts.groups.at(0).name, u"None");
  EXPECT_EQ(accounts.localGroups.at(0).name, u"Log Readers");
  EXPECT_EQ(accounts.builtinGroups.at(0).rid, 544u);
}

TEST(AccountsFile, RoleDefaultsAndExplicitServerType) {
  const Accounts standalone = Parse("sid S-1-5-21-9\nrole workstation\n");
  EXPECT_EQ(standalone.domain, u"WORKGROUP");
  EXPECT_FALSE(standalone.inDomain);
  EXPECT_EQ(standalone.serverType, kServerTypeWorkstation | kServerTypeServer | kServerTypeNt);
  const Accounts controller = Parse("sid S-1-5-21-9\nrole controller\ndomain D\n");
  EXPECT_TRUE(controller.serverType & kServerTypeDomainController);
  EXPECT_FALSE(controller.serverType & kServerTypeServerNt);
  const Accounts member = Parse("sid S-1-5-21-9\nrole workstation\ndomain D\n");
  EXPECT_TRUE(member.serverType & kServerTypeDomainMember);
  EXPECT_EQ(Parse("sid S-1-5-21-9\nrole server\nserver-type 0x4003\n").serverType, 0x4003u);
}

TEST(AccountsFile, BrokenFilesAreRefusedWithTheReason) {
  struct TCase {
    const char* text;
    const char* reason;
  };
  const TCase cases[] = {
      {"role server\n", "sid is missing"},
      {"sid S-1-5-21-9\n", "role is missing"},
      {"sid S-1-5-21-9\nrole controller\n", "a controller names its domain"},
      {"sid S-1-5-21-9\nrole boss\n", "line 2: the role is"},
      {"sid S-1-5-21-9\nsid S-1-5-21-9\n", "line 2: \"SID\" is given twice"},
      {"sid nonsense\n", "not a security identifier"},
      {"sid S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15\n", "no room for a RID"},
      {"sid S-1-5-21-9\nrole server\ndomain A\nworkgroup B\n", "one domain or workgroup"},
      {"sid S-1-5-21-9\nrole server\ndomain ABCDEFGHIJKLMNOP\n", "at most 15"},
      {"sid S-1-5-21-9\nrole server\nuser x normal bob\n", "a RID"},
      {"sid S-1-5-21-9\nrole server\nuser 5 alien bob\n", "the kind of a user"},
      {"sid S-1-5-21-9\nrole server\nuser 5 normal\n", "a name is missing"},
      {"sid S-1-5-21-9\nrole server\nuser 5 normal dom\\bob\n", "may not hold"},
      {"sid S-1-5-21-9\nrole server\nuser 5 normal bob\ngroup 5 g\n", "RID 5 is given twice"},
      {"sid S-1-5-21-9\nrole server\nuser 5 normal Bob\nlocal-group 6 BOB\n", "\"Bob\" is given twice"},
      {"sid S-1-5-21-9\nrole server\nbuiltin-group 544 A\nbuiltin-group 544 B\n", "built-in"},
      {"sid S-1-5-21-9\nrole server\nserver-type lots\n", "server-type takes"},
      {"sid S-1-5-21-9\nrole server\nprinter 5 p\n", "unknown statement"},
      {"sid S-1-5-21-9\nrole server\nuser 5 normal b\xFF\n", "not UTF-8"},
  };
  for (const TCase& c : cases) {
    EXPECT_NE(Refusal(c.text).find(c.reason), std::string::npos) << c.text << " gave: " << Refusal(c.text);
  }
  // The same RID in the machine's domain and the built-in domain is two different accounts.
  EXPECT_EQ(Refusal("sid S-1-5-21-9\nrole server\nlocal-group 544 A\nbuiltin-group 544 A\n"), "accepted");
}

}  // namespace
}  // namespace corvane::network
