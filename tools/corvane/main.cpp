// corvane: the event logs of this or another machine from the command line.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "Commands.h"
#include "framework/AsciiText.h"
#include "framework/OleSysError.h"
#include "system/SystemTables.h"

namespace {

const char kUsage[] =
    "usage: corvane COMMAND [OPTIONS]\n"
    "  dump (--log NAME | --file PATH) [--machine NAME] [--format text|jsonl|csv]\n"
    "       [--backwards] [--newest N] [--messages]\n"
    "  count (--log NAME | --file PATH) [--machine NAME]\n"
    "  write --source NAME [--type success|error|warning|information|audit-success|\n"
    "       audit-failure] [--id N] [--category N] [--data HEX] [--no-user] [--repeat N]\n"
    "       [--machine NAME] [STRING ...]\n"
    "  clear --log NAME [--backup PATH] [--machine NAME]\n"
    "  backup --log NAME [--machine NAME] PATH\n"
    "  logs        the logs of this machine, then their event sources\n"
    "  watch --log NAME [--format text|jsonl|csv]   print new records until interrupted\n"
    "  tables [--missing]   the system function tables and the library each was bound from\n"
    "A machine is written \\\\NAME or NAME; Linux paths are accepted for files.\n";

}  // namespace

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
    const std::string message(corvane::WithoutLineEnds(e.Message()));
    std::fprintf(stderr, "corvane: %s\n", message.c_str());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "corvane: %s\n", e.what());
    return 1;
  }
}
