#include "Commands.h"

#include <windows.h>

#include <cstdio>
#include <map>

#include "Options.h"
#include "system/SystemTables.h"

namespace corvane::cli {

int RunCommand(const std::string& command, const std::vector<std::string>& args) {
  static const std::map<std::string, int (*)(const std::vector<std::string>&)> commands = {
      {"tables", Tables}, {"count", Count}, {"dump", Dump},   {"write", Write}, {"clear", Clear},
      {"backup", Backup}, {"logs", Logs},   {"watch", Watch}, {"stats", Stats},
  };
  const auto it = commands.find(command);
  if (it == commands.end()) throw UsageError("unknown command \"" + command + "\"");
  return it->second(args);
}

int Tables(const std::vector<std::string>& args) {
  const Options options(args, {}, {"missing"});
  if (!options.Positional().empty()) throw UsageError("tables takes no arguments");
  for (const auto& t : DescribeSystemTables()) {
    std::printf("%-22s %3d of %3d entries bound from %s\n", t.table.c_str(), t.bound, t.total,
                t.library.c_str());
    if (options.Has("missing"))
      for (const auto& name : t.missing) std::printf("    missing: %s\n", name.c_str());
  }
  return 0;
}

std::string HostPath(const std::string& path) {
  static const bool underWine =
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
  if (!underWine || path.size() < 2 || path[0] != '/' || path[1] == '/') return path;
  std::string windows = "Z:" + path;
  for (char& c : windows)
    if (c == '/') c = '\\';
  return windows;
}

}  // namespace corvane::cli
