// corvane: the event logs of this or another machine from the command line.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "About.h"
#include "Commands.h"
#include "Usage.h"
#include "framework/AnsiText.h"
#include "framework/AsciiText.h"
#include "framework/OleSysError.h"
#include "framework/Utf8.h"
#include "system/SystemTables.h"

namespace {

// As abort() ends a process: the work was cut short.
constexpr UINT kFaultExitCode = 3;


// The arguments in the ANSI code page, which is what the log functions take. Text that code page
// cannot hold would be stored as "?" (or as a look-alike letter): such an argument is refused
// before anything is read or written.
std::vector<std::string> AnsiArguments(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    const std::wstring_view argument(argv[i]);
    std::optional<std::string> ansi = corvane::ExactAnsi(argument);
    if (!ansi) {
      throw corvane::EOleSysError("argument " + std::to_string(i) + " (\"" +
                                      corvane::ToUtf8(corvane::ToU16(argument)) +
                                      "\") has characters that code page " + std::to_string(GetACP()) +
                                      " cannot hold",
                                  corvane::kSystemErrorCode);
    }
    args.push_back(std::move(*ansi));
  }
  return args;
}

// A fault inside the system still hands over the records already formatted, and is told on
// standard error, never through a debugger's dump into the data on standard output.
LONG WINAPI ReportFault(EXCEPTION_POINTERS* fault) noexcept {
  std::fflush(stdout);
  std::fprintf(stderr, "corvane: the process faulted (exception 0x%08lX)\n",
               static_cast<unsigned long>(fault->ExceptionRecord->ExceptionCode));
  std::fflush(stderr);
  TerminateProcess(GetCurrentProcess(), kFaultExitCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  using namespace corvane::cli;
  SetUnhandledExceptionFilter(ReportFault);
  // Output is data (JSON lines, CSV with its own line ends): no CR added to every LF.
  _setmode(_fileno(stdout), _O_BINARY);
  // Fully buffered: every write to the host is a round trip through the system, costly per record.
  static char outputBuffer[1 << 16];
  setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
  try {
    std::vector<std::string> args = AnsiArguments(argc, argv);
    if (const auto answered = AnswerAbout(args)) return *answered;
    corvane::BindSystemTables();
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
