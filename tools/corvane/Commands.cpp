#include "Commands.h"

#include <cstdio>
#include <map>

#include "system/SystemTables.h"

namespace corvane::cli {

int RunCommand(const std::string& command, const std::vector<std::string>& args) {
  static const std::map<std::string, int (*)(const std::vector<std::string>&)> commands = {
      {"tables", Tables},
  };
  const auto it = commands.find(command);
  if (it == commands.end()) throw UsageError("unknown command \"" + command + "\"");
  return it->second(args);
}

int Tables(const std::vector<std::string>& args) {
  if (!args.empty()) throw UsageError("tables takes no arguments");
  for (const auto& t : DescribeSystemTables()) {
    std::printf("%-22s %-40s %3d of %3d entries bound\n", t.table.c_str(), t.library.c_str(),
                t.bound, t.total);
    for (const auto& name : t.missing) std::printf("    missing: %s\n", name.c_str());
  }
  return 0;
}

}  // namespace corvane::cli
