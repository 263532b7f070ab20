// The subcommands of the corvane command.
#pragma once

#include <string>
#include <vector>

#include "UsageError.h"

namespace corvane::cli {

int RunCommand(const std::string& command, const std::vector<std::string>& args);

int Tables(const std::vector<std::string>& args);
int Count(const std::vector<std::string>& args);
int Dump(const std::vector<std::string>& args);
int Stats(const std::vector<std::string>& args);
int Write(const std::vector<std::string>& args);
int Clear(const std::vector<std::string>& args);
int Backup(const std::vector<std::string>& args);
int Logs(const std::vector<std::string>& args);
int Watch(const std::vector<std::string>& args);

// A file name as the system takes it: under Wine, a Linux path ("/home/x.evt") becomes its
// drive-Z form; every other name is passed unchanged.
std::string HostPath(const std::string& path);

}  // namespace corvane::cli
