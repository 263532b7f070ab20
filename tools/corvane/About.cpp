#include "About.h"

#include <cstdio>

#include "CorvaneVersion.h"
#include "Usage.h"

namespace corvane::cli {

std::optional<int> AnswerAbout(const std::vector<std::string>& args) {
  if (args.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (args[0] == "--help" || args[0] == "-h") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (args[0] == "--version") {
    std::printf("corvane %s\n", CORVANE_VERSION);
    return 0;
  }
  return std::nullopt;
}

}  // namespace corvane::cli
