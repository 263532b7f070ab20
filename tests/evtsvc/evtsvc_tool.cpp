// A second (and third) process for the service tests. It loads the service DLL on its own and
//   write <source> <count> <tag>   writes <count> events whose strings are <tag> and their index
//   clear <log>                    clears the log
//   follow <log> <count> <ms>      reads the log from its oldest record as new events arrive,
//                                  waiting on change notification, until <count> records were
//                                  read; every tag's indexes must come complete and in order.
// Exit code 0 on success; the reason for a failure is printed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "Owners.h"
#include "ServiceLibrary.h"
#include "TestSupport.h"

using corvane::evtsvc::UniqueHandle;
using corvane::evtsvc::test::ParseRecords;
using corvane::evtsvc::test::TServiceLibrary;

namespace {

int Fail(const char* what, DWORD error) {
  std::printf("FAILED: %s (error %lu)\n", what, error);
  return 2;
}

int Write(const std::string& source, long count, const std::string& tag) {
  const TServiceLibrary& svc = TServiceLibrary::Get();
  const HANDLE log = svc.RegisterEventSourceA(nullptr, source.c_str());
  if (!log) return Fail("RegisterEventSourceA", GetLastError());
  for (long i = 0; i < count; ++i) {
    const std::string index = std::to_string(i);
    LPCSTR strings[] = {tag.c_str(), index.c_str()};
    if (!svc.ReportEventA(log, EVENTLOG_INFORMATION_TYPE, 1, 1000, nullptr, 2, 0, strings, nullptr)) {
      return Fail("ReportEventA", GetLastError());
    }
  }
  if (!svc.DeregisterEventSource(log)) return Fail("DeregisterEventSource", GetLastError());
  std::printf("wrote %ld events as %s\n", count, source.c_str());
  return 0;
}

int Clear(const std::string& name) {
  const TServiceLibrary& svc = TServiceLibrary::Get();
  const corvane::evtsvc::test::TUniqueLog log(svc.OpenEventLogA(nullptr, name.c_str()));
  if (!log) return Fail("OpenEventLogA", GetLastError());
  if (!svc.ClearEventLogA(log.get(), nullptr)) return Fail("ClearEventLogA", GetLastError());
  return 0;
}

int Follow(const std::string& name, size_t expected, DWORD timeout) {
  const TServiceLibrary& svc = TServiceLibrary::Get();
  const corvane::evtsvc::test::TUniqueLog log(svc.OpenEventLogA(nullptr, name.c_str()));
  if (!log) return Fail("OpenEventLogA", GetLastError());
  const UniqueHandle changed(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  if (!svc.NotifyChangeEventLog(log.get(), changed.get())) return Fail("NotifyChangeEventLog", GetLastError());

  std::map<std::string, long> nextIndex;
  size_t read = 0;
  size_t waits = 0;
  std::vector<uint8_t> buffer(0x10000);
  while (read < expected) {
    DWORD bytes = 0;
    DWORD needed = 0;
    if (svc.ReadEventLogA(log.get(), EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ, 0, buffer.data(),
                          static_cast<DWORD>(buffer.size()), &bytes, &needed)) {
      for (const auto& record : ParseRecords(buffer.data(), bytes)) {
        if (record.strings.size() != 2) return Fail("record without tag and index", 0);
        long& next = nextIndex[record.strings[0]];
        if (std::to_string(next) != record.strings[1]) {
          std::printf("FAILED: %s: expected index %ld, read %s\n", record.strings[0].c_str(), next,
                      record.strings[1].c_str());
          return 2;
        }
        ++next;
        ++read;
      }
      continue;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_HANDLE_EOF) return Fail("ReadEventLogA", error);
    ++waits;
    if (WaitForSingleObject(changed.get(), timeout) != WAIT_OBJECT_0) {
      std::printf("FAILED: no change notified within %lu ms after %zu records\n", timeout, read);
      return 2;
    }
  }
  std::printf("read %zu records, waited for %zu change notifications;", read, waits);
  for (const auto& [tag, count] : nextIndex) std::printf(" %s: %ld in order;", tag.c_str(), count);
  std::printf("\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 4 && args[0] == "write") return Write(args[1], std::atol(args[2].c_str()), args[3]);
  if (args.size() == 2 && args[0] == "clear") return Clear(args[1]);
  if (args.size() == 4 && args[0] == "follow") {
    return Follow(args[1], std::strtoul(args[2].c_str(), nullptr, 10),
                  std::strtoul(args[3].c_str(), nullptr, 10));
  }
  std::printf("usage: evtsvc_tool write <source> <count> <tag> | clear <log> | follow <log> <count> <ms>\n");
  return 1;
}
