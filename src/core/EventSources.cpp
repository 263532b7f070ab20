#include <utility>

#include "core/EventLog.h"
#include "system/BrowsReg.h"

namespace corvane {

std::unique_ptr<TStringList> GetEventSources() {
  auto result = std::make_unique<TStringList>();
  TBrowseRegistry registry;
  // Listing needs no more than reading: users without write access see every log and source.
  registry.SetAccess(KEY_READ);
  const std::string logsKey = std::string("\\") + kEventLogKeyPath;
  if (registry.OpenKey(logsKey) != ERROR_SUCCESS) return result;

  TStringList logs;
  registry.GetKeyNames(logs);
  logs.Sort();
  TStringList sources;
  for (const std::string& log : logs) {
    if (registry.OpenKey(logsKey + "\\" + log) != ERROR_SUCCESS) continue;
    registry.GetKeyNames(sources);
    for (const std::string& source : sources) result->Add(source);
  }
  result->Sort();
  for (int i = logs.Count() - 1; i >= 0; --i) result->Insert(0, logs[i]);
  return result;
}

}  // namespace corvane
