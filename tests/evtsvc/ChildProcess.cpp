#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <vector>

namespace corvane::evtsvc::test {

TChildProcess::TChildProcess(const std::string& commandLine) {
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
    ADD_FAILURE() << "cannot start " << commandLine << ": " << GetLastError();
    return;
  }
  process_.reset(info.hProcess);
  UniqueHandle thread(info.hThread);
}

DWORD TChildProcess::Wait(DWORD timeout) {
  if (!process_) return STILL_ACTIVE;
  if (WaitForSingleObject(process_.get(), timeout) != WAIT_OBJECT_0) {
    TerminateProcess(process_.get(), 1);
    return STILL_ACTIVE;
  }
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process_.get(), &code);
  return code;
}

void TChildProcess::Kill() {
  if (!process_) return;
  TerminateProcess(process_.get(), 9);
  WaitForSingleObject(process_.get(), INFINITE);
}

std::string ToolCommand(const std::string& arguments) {
  return "\"" EVTSVC_TOOL_PATH "\" " + arguments;
}

}  // namespace corvane::evtsvc::test
