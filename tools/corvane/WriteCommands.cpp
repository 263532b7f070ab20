// write, clear, backup and logs: through the event-log component.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "Commands.h"
#include "Options.h"
#include "RegisteredLogs.h"
#include "core/EventLog.h"
#include "system/ErrorText.h"
#include "system/NT_vs_95.h"

namespace corvane::cli {
namespace {

TEventType TypeFrom(const std::string& name) {
  static const std::map<std::string, TEventType> types = {
      {"success", TEventType::Success},
      {"error", TEventType::Error},
      {"warning", TEventType::Warning},
      {"information", TEventType::Information},
      {"audit-success", TEventType::AuditSuccess},
      {"audit-failure", TEventType::AuditFailure},
  };
  const auto it = types.find(name);
  if (it == types.end())
    throw UsageError("--type is success, error, warning, information, audit-success or audit-failure");
  return it->second;
}

// Opens the live log named by --log on --machine.
void OpenLog(TVEVivudAre& component, const Options& options) {
  const std::string log = options.Get("log").value_or("");
  if (log.empty()) throw UsageError("give --log NAME");
  const std::string machine = MachineArgument(options.Get("machine").value_or(""));
  RequireRegisteredLog(machine, log);
  component.SetMachineName(machine);
  component.SetSourceName(log);
  component.SetActive(true);
}

}  // namespace

int Write(const std::vector<std::string>& args) {
  const Options options(args, {"source", "type", "id", "category", "data", "repeat", "machine"},
                        {"no-user"});
  const std::string source = options.Get("source").value_or("");
  if (source.empty()) throw UsageError("write needs --source NAME");
  const uint32_t category = options.Number("category").value_or(0);
  if (category > 0xFFFF) throw UsageError("--category is out of range");

  TVEVivudAre component(nullptr);
  component.SetMachineName(MachineArgument(options.Get("machine").value_or("")));
  component.SetSourceName(source);
  component.SetIncludeUserName(!options.Has("no-user"));
  TEventItem& event = component.WriteObject();
  event.SetEventType(TypeFrom(options.Get("type").value_or("information")));
  event.SetEventId(options.Number("id").value_or(0));
  event.SetEventCategory(static_cast<uint16_t>(category));
  for (const auto& text : options.Positional()) event.Strings().Add(text);
  const auto data = ParseHex(options.Get("data").value_or(""));
  event.SetData(data.data(), static_cast<int32_t>(data.size()));
  const uint32_t repeat = options.Number("repeat").value_or(1);
  for (uint32_t i = 0; i < repeat; ++i) component.AddObject(event);
  return 0;
}

int Clear(const std::vector<std::string>& args) {
  const Options options(args, {"log", "machine", "backup"}, {});
  if (!options.Positional().empty()) throw UsageError("clear takes no arguments");
  const auto backup = options.Get("backup");
  if (backup && backup->empty()) throw UsageError("--backup needs a PATH");
  TVEVivudAre component(nullptr);
  OpenLog(component, options);
  if (backup) {
    // One call, so that nothing written between the backup and the clearing is lost.
    const std::string path = HostPath(*backup);
    SetLastError(0);
    if (!EventLogApi.ClearEventLogA(component.Handle(), path.c_str())) RaiseLastSystemError();
  } else {
    component.Clear();
  }
  return 0;
}

int Backup(const std::vector<std::string>& args) {
  const Options options(args, {"log", "machine"}, {});
  if (options.Positional().size() != 1 || options.Positional()[0].empty())
    throw UsageError("backup needs --log NAME and one PATH");
  TVEVivudAre component(nullptr);
  OpenLog(component, options);
  // Set after opening: before, the component would open the file instead of the live log.
  component.SetBackupFileName(HostPath(options.Positional()[0]));
  component.BackupEventLog();
  return 0;
}

int Logs(const std::vector<std::string>& args) {
  const Options options(args, {}, {});
  if (!options.Positional().empty()) throw UsageError("logs takes no arguments");
  // The log names come first, one per key below the logs key; keys that are no logs are left out.
  const TLogKeys keys = LogKeys("");
  const size_t keyCount = keys.logs.size() + keys.others.size();
  const auto names = GetEventSources();
  for (int i = 0; i < names->Count(); ++i) {
    const std::string& name = (*names)[i];
    if (static_cast<size_t>(i) < keyCount &&
        std::find(keys.others.begin(), keys.others.end(), name) != keys.others.end())
      continue;
    std::printf("%s\n", name.c_str());
  }
  return 0;
}

}  // namespace corvane::cli
