// The SID cache: the SID order, lookups by SID, and the entries it keeps.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/SidStore.h"
#include "framework/OleSysError.h"

namespace corvane {
namespace {

using Bytes = std::vector<uint8_t>;

int Compare(const Bytes& a, const Bytes& b) {
  return CompareSid(a.data(), static_cast<int32_t>(a.size()), b.data(),
                    static_cast<int32_t>(b.size()));
}

TEST(SidOrder, ShorterFirstThenFirstDifferingByteUnsigned) {
  EXPECT_LT(Compare({0xFF, 0xFF}, {0x00, 0x00, 0x00}), 0);
  EXPECT_GT(Compare({0x00, 0x00, 0x00}, {0xFF, 0xFF}), 0);
  EXPECT_LT(Compare({1, 0x7F}, {1, 0x80}), 0);
  EXPECT_GT(Compare({1, 0xFF, 0}, {1, 0x01, 9}), 0);
  EXPECT_EQ(Compare({1, 2, 3}, {1, 2, 3}), 0);
  EXPECT_EQ(Compare({}, {}), 0);
}

// S-1-<authority>-<sub> with one sub-authority, as the system lays it out.
Bytes Sid(uint8_t authority, uint32_t sub) {
  return {1, 1, 0, 0, 0, 0, 0, authority, static_cast<uint8_t>(sub), static_cast<uint8_t>(sub >> 8),
          static_cast<uint8_t>(sub >> 16), static_cast<uint8_t>(sub >> 24)};
}

Bytes DomainSid(uint32_t rid) {
  Bytes sid = {1, 2, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0};
  for (int i = 0; i < 4; ++i) sid.push_back(static_cast<uint8_t>(rid >> (8 * i)));
  return sid;
}

int IndexOf(TSidStore& store, const Bytes& sid) {
  return store.IndexOf(sid.data(), static_cast<int32_t>(sid.size()));
}

TEST(SidStore, EntriesStandInSidOrderAndAreFoundBySid) {
  TSidStore store(nullptr);
  const Bytes user = DomainSid(1000);
  const Bytes system = Sid(5, 18);
  const Bytes everyone = Sid(1, 0);
  const Bytes admins = Sid(5, 32);
  for (const auto& [sid, name] : std::vector<std::pair<Bytes, const char*>>{
           {user, "alice"}, {system, "SYSTEM"}, {everyone, "Everyone"}, {admins, "BUILTIN"}})
    store.Add(sid.data(), static_cast<int32_t>(sid.size()), name, "D");

  // The 16-byte domain SID sorts after every 12-byte one; among those, S-1-1-0 first.
  EXPECT_EQ(IndexOf(store, everyone), 0);
  EXPECT_EQ(IndexOf(store, system), 1);
  EXPECT_EQ(IndexOf(store, admins), 2);
  EXPECT_EQ(IndexOf(store, user), 3);
  EXPECT_EQ(IndexOf(store, Sid(5, 19)), -1);
  EXPECT_EQ(IndexOf(store, DomainSid(1001)), -1);

  std::string account, domain;
  store.GetNames(3, account, domain);
  EXPECT_EQ(account, "alice");
  EXPECT_EQ(domain, "D");
  EXPECT_EQ(store.Count(), 4);
}

TEST(SidStore, EqualSidsAreKeptSideBySideAndTheNewestAnswers) {
  TSidStore store(nullptr);
  const Bytes sid = Sid(5, 18);
  store.Add(sid.data(), 12, "SYSTEM", "");
  store.Add(sid.data(), 12, "LocalSystem", "NT AUTHORITY");
  EXPECT_EQ(store.Count(), 2);
  std::string account, domain;
  store.GetNames(IndexOf(store, sid), account, domain);
  EXPECT_EQ(account, "LocalSystem");
}

TEST(SidHolder, HoldsACopyAndRefusesBadLengths) {
  Bytes sid = Sid(5, 18);
  TSidHolder holder(sid.data(), 12, "SYSTEM", "NT AUTHORITY");
  sid[8] = 99;
  ASSERT_EQ(holder.SidLength(), 12);
  EXPECT_EQ(holder.Sid()[8], 18);

  holder.SetValue(nullptr, 0, "ignored", "ignored");
  EXPECT_EQ(holder.SidLength(), 0);
  EXPECT_EQ(holder.Sid(), nullptr);
  EXPECT_EQ(holder.AccountName(), "");

  EXPECT_THROW(holder.SetValue(sid.data(), -1, "", ""), EOleSysError);
  EXPECT_THROW(holder.SetValue(nullptr, 4, "", ""), EOleSysError);
}

}  // namespace
}  // namespace corvane
