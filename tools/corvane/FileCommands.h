// count, dump and stats of a saved log file, read straight from the file (no service, no Windows):
// the native build runs these, and bin/corvane sends it the command lines they serve.
#pragma once

#include <string>
#include <vector>

namespace corvane::cli {

int FileCount(const std::vector<std::string>& args);
int FileDump(const std::vector<std::string>& args);
int FileStats(const std::vector<std::string>& args);

}  // namespace corvane::cli
