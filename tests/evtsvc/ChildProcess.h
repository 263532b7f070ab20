// Another process of the test: started with a command line, sharing the test's console.
#pragma once

#include <windows.h>

#include <string>

#include "Owners.h"

namespace corvane::evtsvc::test {

class TChildProcess {
 public:
  explicit TChildProcess(const std::string& commandLine);
  // Waits up to `timeout` ms; the exit code, or STILL_ACTIVE when it has not ended (it is then
  // terminated).
  DWORD Wait(DWORD timeout);
  // Ends it at once, wherever it is, and waits until it is gone.
  void Kill();

 private:
  UniqueHandle process_;
};

// The command line of the helper tool with the given arguments.
std::string ToolCommand(const std::string& arguments);

}  // namespace corvane::evtsvc::test
