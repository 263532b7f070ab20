// Which logs a machine has. The service opens Application for any name it does not know, as the
// system does, so a mistyped --log would silently read, back up or clear Application: the
// command checks the name against this list first.
#pragma once

#include <string>
#include <vector>

namespace corvane::cli {

struct TLogKeys {
  std::vector<std::string> logs;    // keys below the logs key that are logs
  std::vector<std::string> others;  // keys there that are not (a service's own "Parameters")
};

// The keys below the logs key of `machine` ("\\NAME", or empty for this machine), in the
// registry's order; empty lists when the logs key cannot be read.
TLogKeys LogKeys(const std::string& machine);

// Raises "no event log named LOG on this machine" (or "on \\NAME") unless `log` names a log
// of `machine`, without case. The standard logs count even before their keys are written.
void RequireRegisteredLog(const std::string& machine, const std::string& log);

}  // namespace corvane::cli
