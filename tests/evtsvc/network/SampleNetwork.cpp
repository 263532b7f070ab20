#include "SampleNetwork.h"

#include <map>
#include <stdexcept>

#include "EvtFile.h"
#include "evtsvc/network/Sid.h"

namespace corvane::network::sample {
namespace {

constexpr uint32_t kFirstEventTime = 1767600000;  // 2026-01-05 08:00:00 UTC
constexpr uint32_t kLogMaxSize = 512 * 1024;

constexpr uint32_t kInformation = 0x40000000;
constexpr uint32_t kWarning = 0x80000000;
constexpr uint32_t kError = 0xC0000000;

const char kDomain[] = "S-1-5-21-1842300351-2297310785-3960137720";
const char kServer[] = "S-1-5-21-3405691582-1234567890-987654321";
const char kLab[] = "S-1-5-21-4001-4002-4003";

std::string Rid(const char* domain, uint32_t rid) { return std::string(domain) + "-" + std::to_string(rid); }

}  // namespace

const std::vector<TSampleEvent>& Events() {
  static const std::vector<TSampleEvent> events = {
      {"CORVDC", "AppEvent.Evt", kInformation | 1000, 4, 0, u"Corvane Demo",
       {u"CORVDC", u"CORVANE\\Administrator"}, Rid(kDomain, 500), {}},
      {"CORVDC", "AppEvent.Evt", kWarning | 7, 2, 1, u"Backup Agent", {u"D:"}, "", {}},
      {"CORVDC", "SecEvent.Evt", 528, 8, 2, u"Logon Audit", {u"alice", u"CORVANE", u"2"},
       Rid(kDomain, 1000), {}},
      {"CORVDC", "SecEvent.Evt", 529, 16, 2, u"Logon Audit", {u"mallory", u"CORVANE", u"3"},
       "S-1-5-18", {}},
      {"CORVDC", "SysEvent.Evt", kWarning | 2013, 2, 0, u"Disk Watch", {u"C:", u"120"}, "S-1-5-18", {}},
      {"CORVSRV", "AppEvent.Evt", kInformation | 100, 4, 0, u"Payroll", {u"March"}, Rid(kDomain, 1001), {}},
      {"CORVSRV", "AppEvent.Evt", kError | 101, 1, 0, u"Payroll", {u"March", u"timeout"},
       Rid(kServer, 1000), {0xDE, 0xAD, 0xBE, 0xEF}},
      {"CORVSRV", "AppEvent.Evt", kWarning | 1001, 2, 0, u"Corvane Demo", {u"E:", u"12"}, "S-1-5-20", {}},
      {"CORVSRV", "SysEvent.Evt", kWarning | 2013, 2, 0, u"Disk Watch", {u"D:", u"900"}, "S-1-5-18", {}},
      {"CORVWKS", "AppEvent.Evt", kInformation | 1000, 4, 0, u"Corvane Demo", {u"CORVWKS", u"CORVANE\\carol"},
       Rid(kDomain, 1002), {}},
      {"CORVWKS", "AppEvent.Evt", kError | 1002, 1, 0, u"Corvane Demo",
       {u"Application", u"\\\\CORVSRV\\backup\\app.evt"}, "", {}},
      {"LABPC", "AppEvent.Evt", kInformation | 1000, 4, 0, u"Corvane Demo", {u"LABPC", u"LABPC\\Owner"},
       Rid(kLab, 1000), {}},
  };
  return events;
}

uint32_t EventTime(size_t indexInLog) { return kFirstEventTime + static_cast<uint32_t>(indexInLog) * 60; }

std::filesystem::path Build(const std::filesystem::path& source, const std::filesystem::path& target) {
  if (std::filesystem::exists(target)) throw std::runtime_error("the sample's target exists: " + target.string());
  std::filesystem::copy(source, target, std::filesystem::copy_options::recursive);

  // Every machine with a registry gets the three standard logs, empty unless events follow.
  std::map<std::filesystem::path, std::vector<const TSampleEvent*>> logs;
  for (const auto& entry : std::filesystem::directory_iterator(target)) {
    if (!std::filesystem::exists(entry.path() / "registry.reg")) continue;
    for (const char* file : {"AppEvent.Evt", "SecEvent.Evt", "SysEvent.Evt"}) {
      logs[entry.path() / "system32" / "config" / file];
    }
  }
  for (const TSampleEvent& event : Events()) {
    logs[target / event.machine / "system32" / "config" / event.log].push_back(&event);
  }
  for (const auto& [path, events] : logs) {
    std::filesystem::create_directories(path.parent_path());
    evt::TFileStorage storage(path, evt::TFileStorage::TMode::Create);
    evt::TLogFile::Create(storage, kLogMaxSize, 0);
    const auto log = evt::TLogFile::Open(storage, false);
    for (size_t i = 0; i < events.size(); ++i) {
      const TSampleEvent& event = *events[i];
      evt::Record record;
      record.timeGenerated = record.timeWritten = EventTime(i);
      record.eventId = event.eventId;
      record.eventType = event.type;
      record.eventCategory = event.category;
      record.sourceName = event.source;
      const std::string machine = event.machine;
      record.computerName = std::u16string(machine.begin(), machine.end());
      record.strings = event.strings;
      if (!event.sid.empty()) record.sid = Sid::Parse(event.sid)->Bytes();
      record.data = event.data;
      log->Append(std::move(record));
    }
  }
  return target;
}

}  // namespace corvane::network::sample
