// corvane, native build: count, dump and stats of a saved log file, read straight from the file.
// The other commands, and reading through the service, are the Windows build's (bin/corvane picks).
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "About.h"
#include "FileCommands.h"
#include "Usage.h"
#include "UsageError.h"

int main(int argc, char** argv) {
  using namespace corvane::cli;
  std::vector<std::string> args(argv + 1, argv + argc);
  // Dumps run to hundreds of megabytes: large writes, few calls.
  static char outputBuffer[1 << 20];
  std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
  try {
    if (const auto answered = AnswerAbout(args)) return *answered;
    const std::string command = args[0];
    args.erase(args.begin());
    if (command == "count") return FileCount(args);
    if (command == "dump") return FileDump(args);
    if (command == "stats") return FileStats(args);
    throw UsageError("\"" + command + "\" is run by the Windows build");
  } catch (const UsageError& e) {
    std::fprintf(stderr, "corvane: %s\n%s", e.what(), kUsage);
    return 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "corvane: %s\n", e.what());
    return 1;
  }
}
