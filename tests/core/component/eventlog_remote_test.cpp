// A log of another machine, on the simulated network the bundled service provides: it opens
// without change notification, reads the machine's records, takes writes, and never raises
// OnChange.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ComponentTestSupport.h"
#include "SampleNetwork.h"
#include "StandIns.h"
#include "core/EventLog.h"

namespace corvane {
namespace {

using component_test::NotifyStandIn;
using component_test::PumpFor;

constexpr char kServer[] = "\\\\CORVSRV";

std::string Narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

std::vector<const network::sample::TSampleEvent*> ServerApplicationEvents() {
  std::vector<const network::sample::TSampleEvent*> events;
  for (const auto& event : network::sample::Events()) {
    if (event.machine == "CORVSRV" && event.log == "AppEvent.Evt") events.push_back(&event);
  }
  return events;
}

class RemoteTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = std::filesystem::path(CORVANE_BINARY_DIR) / "tests" / "core" / "component" /
              ("network-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::remove_all(folder_);
    network::sample::Build(
        std::filesystem::path(CORVANE_SOURCE_DIR) / "tests" / "evtsvc" / "network" / "sample", folder_);
    SetEnvironmentVariableW(L"CORVANE_NETWORK", folder_.wstring().c_str());
  }
  static void TearDownTestSuite() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  static std::unique_ptr<TVEVivudAre> LoadedRemote() {
    auto eventLog = std::make_unique<TVEVivudAre>(nullptr);
    TComponentReading reading(*eventLog);
    eventLog->SetMachineName(kServer);
    eventLog->SetSourceName("Application");
    eventLog->SetActive(true);
    reading.Complete();
    return eventLog;
  }

  static inline std::filesystem::path folder_;
};

TEST_F(RemoteTest, ARemoteLogOpensWithoutChangeNotificationAndReadsThatMachinesRecords) {
  NotifyStandIn notify;
  auto eventLog = LoadedRemote();
  ASSERT_TRUE(eventLog->Active());
  EXPECT_EQ(notify.notifyCalls, 0);

  const auto expected = ServerApplicationEvents();
  ASSERT_EQ(eventLog->Count(), static_cast<int>(expected.size()));
  // Newest first (backwards), then the oldest from the cache.
  TEventItem& newest = eventLog->Objects(eventLog->Count() - 1);
  EXPECT_EQ(newest.EventId(), expected.back()->eventId);
  EXPECT_EQ(newest.SourceName(), Narrow(expected.back()->source));
  EXPECT_EQ(newest.ComputerName(), "CORVSRV");
  TEventItem& oldest = eventLog->Objects(0);
  ASSERT_EQ(oldest.Strings().Count(), static_cast<int>(expected.front()->strings.size()));
  EXPECT_EQ(oldest.Strings()[0], Narrow(expected.front()->strings[0]));
}

TEST_F(RemoteTest, WritingToARemoteLogReachesItAndRaisesNoOnChange) {
  auto eventLog = LoadedRemote();
  int calls = 0;
  eventLog->SetOnChange([&](TPersistent*) { ++calls; });
  const int before = eventLog->Count();
  eventLog->SetIncludeUserName(false);
  eventLog->Add(TEventType::Information, "written from afar");
  ASSERT_EQ(eventLog->Count(), before + 1);
  EXPECT_EQ(eventLog->Objects(before).Strings()[0], "written from afar");
  PumpFor(400);
  EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace corvane
