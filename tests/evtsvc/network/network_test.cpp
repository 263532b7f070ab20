// The sample network as its machines answer: who is there, the browse lists, domain
// controllers, primary domains and account lookups; and the paging of enumerations.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "evtsvc/network/NameText.h"
#include "evtsvc/network/Network.h"
#include "evtsvc/network/NetworkErrors.h"
#include "evtsvc/network/Paging.h"
#include "EvtFile.h"
#include "SampleNetwork.h"

namespace corvane::network {
namespace {

const std::filesystem::path kSample = std::filesystem::path(CORVANE_SOURCE_DIR) / "tests/evtsvc/network/sample";
const char kDomainSid[] = "S-1-5-21-1842300351-2297310785-3960137720";

class TSampleNetwork : public ::testing::Test {
 protected:
  void SetUp() override { network_ = TNetwork::Load(kSample, u"THISPC", FromWindows1252); }

  const THost& TMachine(std::u16string_view name) {
    const THost* host = network_->Find(name);
    if (!host) throw std::runtime_error("no machine " + ToUtf8(name));
    return *host;
  }

  std::vector<std::u16string> ServerNames(std::u16string_view on, std::u16string_view domain, uint32_t mask) {
    std::vector<std::u16string> names;
    for (const TServerEntry& entry : network_->Servers(TMachine(on), domain, mask)) names.push_back(entry.name);
    return names;
  }

  std::shared_ptr<const TNetwork> network_;
};

Sid DomainRid(uint32_t rid) { return Sid::Parse(kDomainSid)->WithRid(rid); }

TEST_F(TSampleNetwork, MachinesAreFoundByNameInAnyCaseWithOrWithoutBackslashes) {
  ASSERT_EQ(network_->Hosts().size(), 5u);
  EXPECT_EQ(TMachine(u"corvdc").Name(), u"CORVDC");
  EXPECT_EQ(TMachine(u"\\\\CorvSrv").Name(), u"CORVSRV");
  EXPECT_EQ(network_->Find(u"NOSUCHPC"), nullptr);
  // The localhost folder is the local machine, under the local computer's name.
  ASSERT_NE(network_->Local(), nullptr);
  EXPECT_EQ(network_->Local()->Name(), u"THISPC");
  EXPECT_EQ(network_->Find(u"thispc"), network_->Local());
  EXPECT_FALSE(TMachine(u"CORVDC").IsLocal());
}

TEST_F(TSampleNetwork, BrowseListsFollowDomainAndTypeMask) {
  EXPECT_EQ(ServerNames(u"CORVWKS", u"", kServerTypeAll),
            (std::vector<std::u16string>{u"CORVDC", u"CORVSRV", u"CORVWKS", u"THISPC"}));
  EXPECT_EQ(ServerNames(u"CORVWKS", u"", kServerTypeDomainController), std::vector<std::u16string>{u"CORVDC"});
  EXPECT_EQ(ServerNames(u"CORVWKS", u"", kServerTypeServerNt), std::vector<std::u16string>{u"CORVSRV"});
  EXPECT_EQ(ServerNames(u"CORVWKS", u"corvane", kServerTypeDomainMember),
            (std::vector<std::u16string>{u"CORVSRV", u"CORVWKS", u"THISPC"}));
  EXPECT_EQ(ServerNames(u"CORVWKS", u"LAB", kServerTypeAll), std::vector<std::u16string>{u"LABPC"});
  EXPECT_EQ(ServerNames(u"LABPC", u"", kServerTypeWorkstation), std::vector<std::u16string>{u"LABPC"});
  EXPECT_TRUE(ServerNames(u"CORVDC", u"", 0x4 /* SQL servers */).empty());
  EXPECT_EQ(ServerNames(u"CORVDC", u"", kServerTypeDomainEnum), (std::vector<std::u16string>{u"CORVANE", u"LAB"}));
  try {
    ServerNames(u"CORVDC", u"ELSEWHERE", kServerTypeAll);
    FAIL() << "an unknown domain has no browse list";
  } catch (const EOleSysError& error) {
    EXPECT_EQ(error.ErrorCode(), static_cast<int32_t>(kNoBrowserServers));
  }
  const auto servers = network_->Servers(TMachine(u"CORVDC"), u"", kServerTypeAll);
  EXPECT_EQ(servers[0].comment, u"Domain controller");
  EXPECT_EQ(servers[0].type, DefaultServerType(TRole::Controller, true));
}

TEST_F(TSampleNetwork, ControllersAndPrimaryDomains) {
  EXPECT_EQ(network_->PrimaryController(u"corvane"), &TMachine(u"CORVDC"));
  EXPECT_EQ(network_->PrimaryController(u"LAB"), nullptr);
  const PrimaryDomain member = network_->PrimaryDomainOf(TMachine(u"CORVSRV"));
  EXPECT_EQ(member.name, u"CORVANE");
  EXPECT_EQ(member.sid, Sid::Parse(kDomainSid));
  const PrimaryDomain workgroup = network_->PrimaryDomainOf(TMachine(u"LABPC"));
  EXPECT_EQ(workgroup.name, u"LAB");
  EXPECT_FALSE(workgroup.sid);
  EXPECT_EQ(network_->AccountDomainName(TMachine(u"CORVDC")), u"CORVANE");
  EXPECT_EQ(network_->AccountDomainName(TMachine(u"CORVSRV")), u"CORVSRV");
}

TEST_F(TSampleNetwork, SidsResolveThroughWellKnownBuiltinOwnAndDomainAccounts) {
  const THost& server = TMachine(u"CORVSRV");
  struct TCase {
    Sid sid;
    std::u16string name, domain;
    TSidUse use;
  };
  const TCase cases[] = {
      {*Sid::Parse("S-1-5-18"), u"SYSTEM", u"NT AUTHORITY", TSidUse::WellKnownGroup},
      {*Sid::Parse("S-1-1-0"), u"Everyone", u"", TSidUse::WellKnownGroup},
      {*Sid::Parse("S-1-5-32"), u"BUILTIN", u"BUILTIN", TSidUse::Domain},
      {*Sid::Parse("S-1-5-32-547"), u"Power Users", u"BUILTIN", TSidUse::Alias},
      {*Sid::Parse("S-1-5-21-3405691582-1234567890-987654321-1000"), u"svcweb", u"CORVSRV", TSidUse::User},
      {*Sid::Parse("S-1-5-21-3405691582-1234567890-987654321-513"), u"None", u"CORVSRV", TSidUse::Group},
      {*Sid::Parse("S-1-5-21-3405691582-1234567890-987654321-1001"), u"Web Operators", u"CORVSRV", TSidUse::Alias},
      {*Sid::Parse("S-1-5-21-3405691582-1234567890-987654321"), u"CORVSRV", u"CORVSRV", TSidUse::Domain},
      {DomainRid(1001), u"bob", u"CORVANE", TSidUse::User},
      {DomainRid(512), u"Domain Admins", u"CORVANE", TSidUse::Group},
  };
  for (const TCase& c : cases) {
    const auto found = network_->LookupSid(server, c.sid);
    ASSERT_TRUE(found) << c.sid.Text();
    EXPECT_EQ(found->name, c.name) << c.sid.Text();
    EXPECT_EQ(found->domain, c.domain) << c.sid.Text();
    EXPECT_EQ(found->use, c.use) << c.sid.Text();
  }
  // A workstation's own accounts are not the server's; the workgroup machine knows no domain.
  EXPECT_FALSE(network_->LookupSid(server, *Sid::Parse("S-1-5-21-2166720343-3120586209-1548862717-1000")));
  EXPECT_FALSE(network_->LookupSid(TMachine(u"LABPC"), DomainRid(1000)));
  EXPECT_FALSE(network_->LookupSid(server, DomainRid(4242)));
  // Power Users is a built-in group of the server, not of the controller.
  EXPECT_FALSE(network_->LookupSid(TMachine(u"CORVDC"), *Sid::Parse("S-1-5-32-547")));
  // The controller answers with the domain's names.
  EXPECT_EQ(network_->LookupSid(TMachine(u"CORVDC"), DomainRid(1000))->domain, u"CORVANE");
  // A local machine asks only its domain of the network; its own accounts are the system's.
  EXPECT_EQ(network_->LookupSidInDomain(*network_->Local(), DomainRid(1002))->name, u"carol");
  EXPECT_FALSE(network_->LookupSidInDomain(*network_->Local(), *Sid::Parse("S-1-5-18")));
}

TEST_F(TSampleNetwork, NamesResolveQualifiedOrNotInTheSystemsOrder) {
  const THost& workstation = TMachine(u"CORVWKS");
  // The machine's own Administrator comes before the domain's.
  const auto local = network_->LookupName(workstation, u"administrator");
  ASSERT_TRUE(local);
  EXPECT_EQ(local->domain, u"CORVWKS");
  EXPECT_EQ(local->sid.Text(), "S-1-5-21-2166720343-3120586209-1548862717-500");
  const auto domainAdmin = network_->LookupName(workstation, u"corvane\\Administrator");
  ASSERT_TRUE(domainAdmin);
  EXPECT_EQ(domainAdmin->sid, DomainRid(500));
  EXPECT_EQ(domainAdmin->name, u"Administrator");
  EXPECT_EQ(network_->LookupName(workstation, u"alice")->sid, DomainRid(1000));
  EXPECT_EQ(network_->LookupName(workstation, u"NT AUTHORITY\\system")->sid, *Sid::Parse("S-1-5-18"));
  EXPECT_EQ(network_->LookupName(workstation, u"Everyone")->use, TSidUse::WellKnownGroup);
  EXPECT_EQ(network_->LookupName(workstation, u"BUILTIN\\Users")->sid, *Sid::Parse("S-1-5-32-545"));
  EXPECT_EQ(network_->LookupName(workstation, u"CORVANE")->use, TSidUse::Domain);
  EXPECT_FALSE(network_->LookupName(workstation, u"CORVSRV\\svcweb"));
  EXPECT_FALSE(network_->LookupName(workstation, u"nobody"));
  EXPECT_FALSE(network_->LookupName(workstation, u"CORVANE\\"));
  EXPECT_EQ(network_->LookupNameInDomain(*network_->Local(), u"dave")->sid, DomainRid(1003));
  EXPECT_FALSE(network_->LookupNameInDomain(*network_->Local(), u"LAB\\dave"));
}

TEST_F(TSampleNetwork, RegistriesOfEveryEncodingRead) {
  for (std::u16string_view name : {u"CORVDC", u"CORVSRV", u"CORVWKS", u"LABPC"}) {
    const RegKey& root = TMachine(name).Registry();
    const TKeyLookup logs = FindKey(root, u"SYSTEM\\CurrentControlSet\\Services\\EventLog");
    ASSERT_EQ(logs.status, TPathStatus::Found) << ToUtf8(name);
    ASSERT_EQ(logs.key->Subkeys().size(), 3u);
    EXPECT_EQ(logs.key->Subkeys()[0]->Name(), u"Application");
    const TRegValue* file = logs.key->Subkeys()[0]->FindValue(u"File");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->type, kRegExpandSz);
    EXPECT_EQ(file->data, TextValueData(u"%SystemRoot%\\system32\\config\\AppEvent.Evt"));
  }
  // The local machine has no registry file: its registry is the system's.
  EXPECT_TRUE(network_->Local()->Registry().Subkeys().empty());
}

TEST(SampleLogs, EveryMachineGetsItsThreeLogsHoldingItsEventsInOrder) {
  const auto target = std::filesystem::temp_directory_path() / "evtnetwork-sample-logs";
  std::filesystem::remove_all(target);
  sample::Build(kSample, target);
  EXPECT_THROW(sample::Build(kSample, target), std::runtime_error);
  size_t checked = 0;
  for (const char* machine : {"CORVDC", "CORVSRV", "CORVWKS", "LABPC"}) {
    for (const char* file : {"AppEvent.Evt", "SecEvent.Evt", "SysEvent.Evt"}) {
      evt::TFileStorage storage(target / machine / "system32" / "config" / file, evt::TFileStorage::TMode::ReadOnly);
      const auto log = evt::TLogFile::Open(storage, true);
      std::vector<const sample::TSampleEvent*> expected;
      for (const auto& event : sample::Events()) {
        if (event.machine == machine && event.log == file) expected.push_back(&event);
      }
      ASSERT_EQ(log->Count(), expected.size()) << machine << " " << file;
      for (uint32_t i = 0; i < log->Count(); ++i) {
        const std::vector<uint8_t> bytes = log->RecordBytes(log->OldestRecordNumber() + i);
        const evt::Record record = evt::DecodeRecord(bytes.data(), bytes.size());
        EXPECT_EQ(record.eventId, expected[i]->eventId);
        EXPECT_EQ(record.sourceName, expected[i]->source);
        EXPECT_EQ(record.strings, expected[i]->strings);
        EXPECT_EQ(record.timeGenerated, sample::EventTime(i));
        EXPECT_EQ(record.sid.empty(), expected[i]->sid.empty());
        ++checked;
      }
    }
  }
  EXPECT_EQ(checked, sample::Events().size());
  // The local machine's logs are the system's: none is written for it.
  EXPECT_FALSE(std::filesystem::exists(target / "localhost" / "system32"));
  std::filesystem::remove_all(target);
}

TEST(NetworkFolder, BrokenMachinesAreSetAsideNamingTheFile) {
  const auto root = std::filesystem::temp_directory_path() / ("evtnetwork-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root / "GOOD");
  std::filesystem::create_directories(root / "NOACCOUNTS");
  auto write = [](const std::filesystem::path& path, std::string_view text) {
    std::ofstream(path, std::ios::binary) << text;
  };
  write(root / "GOOD" / "accounts.txt", "sid S-1-5-21-7\nrole server\n");
  auto refusal = [&]() -> std::string {
    try {
      TNetwork::Load(root, u"ME", FromWindows1252);
    } catch (const EOleSysError& error) {
      return error.Message();
    }
    return "accepted";
  };
  // A broken machine is kept aside with what is wrong, file and line; the others are served.
  std::filesystem::create_directories(root / "me");
  write(root / "me" / "accounts.txt", "sid S-1-5-21-7\nrole server\nrole server\n");
  {
    const auto network = TNetwork::Load(root, u"ME", FromWindows1252);
    ASSERT_NE(network->Find(u"GOOD"), nullptr);
    EXPECT_EQ(network->Find(u"NOACCOUNTS"), nullptr);
    ASSERT_NE(network->Broken(u"\\\\noaccounts"), nullptr);
    EXPECT_EQ(network->Broken(u"NOACCOUNTS")->ErrorCode(), static_cast<int32_t>(kFileNotFound));
    EXPECT_NE(network->Broken(u"NOACCOUNTS")->Message().find("NOACCOUNTS"), std::string::npos);
    ASSERT_NE(network->Broken(u"ME"), nullptr);
    EXPECT_EQ(network->Broken(u"ME")->Message().substr(0, 4), "13: ");
    EXPECT_NE(network->Broken(u"ME")->Message().find("accounts.txt: accounts file line 3: "),
              std::string::npos)
        << network->Broken(u"ME")->Message();
    EXPECT_EQ(network->Broken(u"GOOD"), nullptr);
  }
  std::filesystem::remove_all(root / "NOACCOUNTS");
  write(root / "me" / "accounts.txt", "sid S-1-5-21-7\nrole server\n");
  std::filesystem::create_directories(root / "localhost");
  write(root / "localhost" / "accounts.txt", "sid S-1-5-21-7\nrole server\n");
  EXPECT_NE(refusal().find("appears twice"), std::string::npos);
  std::filesystem::remove_all(root / "localhost");
  write(root / "GOOD" / "registry.reg", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\nbad line\n");
  const auto network = TNetwork::Load(root, u"ME", FromWindows1252);
  try {
    network->Find(u"GOOD")->Registry();
    FAIL() << "a broken registry file is refused";
  } catch (const EOleSysError& error) {
    EXPECT_EQ(error.ErrorCode(), static_cast<int32_t>(kBadDatabase));
    EXPECT_NE(error.Message().find("registry.reg"), std::string::npos);
    EXPECT_NE(error.Message().find("line 3"), std::string::npos);
  }
  EXPECT_THROW(TNetwork::Load(root / "missing", u"ME", FromWindows1252), EOleSysError);
  std::filesystem::remove_all(root);
}

TEST(Paging, PagesHoldWhatFitsButAlwaysOneEntry) {
  const std::vector<size_t> sizes = {30, 30, 30, 100, 10};
  Page page = TakePage(sizes, 70, 0, TTotalCounts::FromResume);
  EXPECT_EQ(page.first, 0u);
  EXPECT_EQ(page.count, 2u);
  EXPECT_TRUE(page.more);
  EXPECT_EQ(page.resume, 2u);
  EXPECT_EQ(page.total, 5u);
  page = TakePage(sizes, 70, page.resume, TTotalCounts::FromResume);
  EXPECT_EQ(page.count, 1u);  // 30 + 100 would not fit
  EXPECT_EQ(page.total, 3u);
  page = TakePage(sizes, 70, page.resume, TTotalCounts::FromResume);
  EXPECT_EQ(page.first, 3u);
  EXPECT_EQ(page.count, 1u);  // larger than the preferred length alone, delivered all the same
  page = TakePage(sizes, 70, page.resume, TTotalCounts::All);
  EXPECT_EQ(page.count, 1u);
  EXPECT_FALSE(page.more);
  EXPECT_EQ(page.resume, 0u);
  EXPECT_EQ(page.total, 5u);
}

TEST(Paging, UnlimitedLengthEmptyListsAndResumeHandlesPastTheEnd) {
  const std::vector<size_t> sizes = {30, 30, 30};
  Page page = TakePage(sizes, kMaxPreferredLength, 0, TTotalCounts::FromResume);
  EXPECT_EQ(page.count, 3u);
  EXPECT_FALSE(page.more);
  page = TakePage({}, 10, 0, TTotalCounts::All);
  EXPECT_EQ(page.count, 0u);
  EXPECT_FALSE(page.more);
  page = TakePage(sizes, 10, 99, TTotalCounts::FromResume);
  EXPECT_EQ(page.first, 3u);
  EXPECT_EQ(page.count, 0u);
  EXPECT_EQ(page.total, 0u);
  EXPECT_FALSE(page.more);
}

}  // namespace
}  // namespace corvane::network
