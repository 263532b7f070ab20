// corvane: the event logs of this or another machine from the command line.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "Commands.h"
#include "Usage.h"
#include "framework/OleSysError.h"
#include "system/SystemTables.h"

int main(int argc, char** argv) {
  using namespace corvane::cli;
  std::vector<std::string> args(argv + 1, argv + argc);
  // Output is data (JSON lines, CSV with its own line ends): no CR added to every LF.
  _setmode(_fileno(stdout), _O_BINARY);
  // Fully buffered: every write to the host is a round trip through the system, costly per record.
  static char outputBuffer[1 << 16];
  setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
  try {
    corvane::BindSystemTables();
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
      std::fputs(kUsage, args.empty() ? stderr : stdout);
      return args.empty() ? 2 : 0;
    }
    const std::string command = args[0];
    args.erase(args.begin());
    return RunCommand(command, args);
  } catch (const UsageError& e) {
    std::fprintf(stderr, "corvane: %s\n%s", e.what(), kUsage);
    return 2;
  } catch (const corvane::EOleSysError& e) {
    std::string message = e.Message();
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.pop_back();
    std::fprintf(stderr, "corvane: %s\n", message.c_str());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "corvane: %s\n", e.what());
    return 1;
  }
}
