// The command's --messages and the component's Items find the same text for every record: of
// the sample log, whose sources are given modules of ours and of the system (and some none),
// and of a log shaped like the benchmark's, 20 sources each with its own copy of a module.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ComponentTestSupport.h"
#include "DumpFormat.h"
#include "core/EventLog.h"
#include "framework/AnsiText.h"
#include "framework/Utf8.h"
#include "framework/WinHandle.h"

namespace corvane {
namespace {

using component_test::SetMessageFile;
using component_test::TestLog;

std::string Built(const std::string& relative) {
  std::string path = std::string(CORVANE_BINARY_DIR) + "\\" + relative;
  for (char& c : path) c = c == '/' ? '\\' : c;
  return path;
}

// Runs a program of the build to its end; its standard output, which lands in `outFile`.
std::string RunProgram(const std::string& commandLine, const std::string& outFile) {
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  TUniqueFile out(CreateFileA(outFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_TRUE(out) << outFile;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out.get();
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  std::string line = commandLine;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    ADD_FAILURE() << "cannot start " << commandLine << ": " << GetLastError();
    return {};
  }
  const TUniqueHandle thread(process.hThread), child(process.hProcess);
  EXPECT_EQ(WaitForSingleObject(child.get(), 120000), WAIT_OBJECT_0) << commandLine;
  DWORD exitCode = 1;
  GetExitCodeProcess(child.get(), &exitCode);
  EXPECT_EQ(exitCode, 0u) << commandLine;
  out.reset();
  std::ifstream in(outFile, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool IsReplacement(const std::string& text) { return text.rfind("The description for Event ID", 0) == 0; }

// Compares the two for every record of the backup `file`; returns how many were real messages.
int CompareBothWays(const std::string& file, const std::string& scratch) {
  TVEVivudAre component(nullptr);
  component.SetBackupFileName(file);
  component.SetActive(true);
  const std::string output = RunProgram("\"" + Built("tools\\corvane\\corvane.exe") + "\" dump --messages --format jsonl --file \"" +
                                     file + "\"",
                                 scratch);
  std::istringstream lines(output);
  std::string line;
  int index = 0, found = 0;
  for (; std::getline(lines, line); ++index) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    EXPECT_LT(index, component.Count());
    if (index >= component.Count()) break;
    const std::string text = component.Items(index);
    const std::string expected = ", \"message\": " + cli::JsonString(ToUtf8(AnsiToU16(text))) + "}";
    const size_t at = line.find(", \"message\": ");
    EXPECT_EQ(at == std::string::npos ? line : line.substr(at), expected) << file << ", record " << index;
    found += IsReplacement(text) ? 0 : 1;
  }
  EXPECT_EQ(index, component.Count()) << file;
  return found;
}

TEST(MessagesBothWays, TheSampleLogAndTheBenchmarksSourcesGiveTheSameTexts) {
  TestLog log("BothWays", {"crypt32", "COM+"});
  SetMessageFile(log.Name(), "LoadPerf", Built("tools\\corvmsg.dll"));
  for (const char* source : {"ESENT", "MsiInstaller", "SceCli", "SecurityCenter", "WmdmPmSN"})
    SetMessageFile(log.Name(), source, "%SystemRoot%\\system32\\kernelbase.dll");
  SetMessageFile(log.Name(), "crypt32", Built("tests\\core\\messages\\testmsg.dll"));
  SetMessageFile(log.Name(), "MSDTC", log.Scratch("no-such-module.dll"));
  EXPECT_GE(CompareBothWays(CORVANE_SHARED_DIR "/data/AppEvent.Evt", log.Scratch("sample.jsonl")), 30);

  for (int n = 1; n <= 20; ++n) {
    const std::string number = (n < 10 ? "0" : "") + std::to_string(n);
    const std::string copy = log.Scratch("msg" + number + ".dll");
    ASSERT_TRUE(CopyFileA(Built("bench\\benchmsg.dll").c_str(), copy.c_str(), FALSE));
    SetMessageFile(log.Name(), "BenchSource" + number, copy);
  }
  const std::string bench = log.Scratch("bench.evt");
  RunProgram("\"" + Built("bench\\make_message_log.exe") + "\" \"" + bench + "\" 2000 20", log.Scratch("made.txt"));
  EXPECT_EQ(CompareBothWays(bench, log.Scratch("bench.jsonl")), 2000);
}

}  // namespace
}  // namespace corvane
