// corvane, native build: count and dump of a saved log file, read straight from the file. The
// other commands, and reading through the service, are the Windows build's (bin/corvane picks).
#include <cerrno>
#include <cstdio>
#include <exception>
#include <string>
#include <system_error>
#include <vector>

#include "EvtErrors.h"
#include "FileCommands.h"
#include "Usage.h"
#include "UsageError.h"

namespace {

// Failures worded as the Windows build words the system's errors, so that a caller sees the
// same line whichever build read the file.
std::string SystemErrorText(const std::system_error& e) {
  if (e.code().category() == std::generic_category()) {
    switch (e.code().value()) {
      case ENOENT: return "2: File not found.";
      case ENOTDIR: return "3: Path not found.";
      case EACCES:
      case EPERM: return "5: Access denied.";
      default: break;
    }
  }
  return e.what();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace corvane::cli;
  std::vector<std::string> args(argv + 1, argv + argc);
  // Dumps run to hundreds of megabytes: large writes, few calls.
  static char outputBuffer[1 << 20];
  std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
  try {
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
      std::fputs(kUsage, args.empty() ? stderr : stdout);
      return args.empty() ? 2 : 0;
    }
    const std::string command = args[0];
    args.erase(args.begin());
    if (command == "count") return FileCount(args);
    if (command == "dump") return FileDump(args);
    throw UsageError("\"" + command + "\" is run by the Windows build");
  } catch (const UsageError& e) {
    std::fprintf(stderr, "corvane: %s\n%s", e.what(), kUsage);
    return 2;
  } catch (const corvane::evt::CorruptLog& e) {
    std::fprintf(stderr, "corvane: 1500: %s\n", e.what());
    return 1;
  } catch (const std::system_error& e) {
    std::fprintf(stderr, "corvane: %s\n", SystemErrorText(e).c_str());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "corvane: %s\n", e.what());
    return 1;
  }
}
