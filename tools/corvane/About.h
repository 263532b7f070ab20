// What the command says about itself, --help and --version, which both of its builds answer
// alike and before any system function is bound.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace corvane::cli {

// The exit code when the arguments ask for the usage (or are missing) or for the version, after
// printing it; nothing when a command is to run.
std::optional<int> AnswerAbout(const std::vector<std::string>& args);

}  // namespace corvane::cli
