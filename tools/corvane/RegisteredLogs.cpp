#include "RegisteredLogs.h"

#include <windows.h>

#include "framework/OleSysError.h"
#include "system/AdvApi32.h"
#include "system/BrowsReg.h"

namespace corvane::cli {
namespace {

constexpr char kLogsKey[] = "\\SYSTEM\\CurrentControlSet\\Services\\EventLog";
const char* const kStandardLogs[] = {"Application", "System", "Security"};

bool SameName(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                        b.data(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

}  // namespace

TLogKeys LogKeys(const std::string& machine) {
  TLogKeys keys;
  TBrowseRegistry registry;
  registry.SetAccess(KEY_READ);
  if (!machine.empty()) registry.ConnectTo(machine);
  if (registry.OpenKey(kLogsKey) != ERROR_SUCCESS) return keys;
  TStringList names;
  registry.GetKeyNames(names);
  for (const std::string& name : names) {
    // A service keeps its settings in "Parameters" beside the logs; that key names no log file.
    bool log = !SameName(name, "Parameters");
    if (!log && registry.OpenKey(std::string(kLogsKey) + "\\" + name) == ERROR_SUCCESS)
      log = ServiceApi.RegQueryValueExA(registry.CurrentKey(), "File", nullptr, nullptr, nullptr,
                                        nullptr) == ERROR_SUCCESS;
    (log ? keys.logs : keys.others).push_back(name);
  }
  return keys;
}

void RequireRegisteredLog(const std::string& machine, const std::string& log) {
  for (const char* standard : kStandardLogs)
    if (SameName(log, standard)) return;
  for (const std::string& name : LogKeys(machine).logs)
    if (SameName(log, name)) return;
  throw EOleSysError("no event log named " + log + " on " +
                         (machine.empty() ? std::string("this machine") : machine),
                     kSystemErrorCode);
}

}  // namespace corvane::cli
