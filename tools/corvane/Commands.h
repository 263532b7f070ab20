// The subcommands of the corvane command.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace corvane::cli {

// A command line that does not parse: reported with the usage, exit code 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

int RunCommand(const std::string& command, const std::vector<std::string>& args);

int Tables(const std::vector<std::string>& args);

}  // namespace corvane::cli
