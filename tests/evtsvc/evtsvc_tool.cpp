// A second (and third) process for the service tests. It loads the service DLL on its own and
//   write <source> <count> <tag>   writes <count> events whose strings are <tag> and their index
//   stamp <source> <count> <tag>   the same with events that carry a checksum (ReportStamped)
//   clear <log> [<times> <ms>]     clears the log (<times> times, <ms> apart)
//   stall <file> <event>           takes the log's lock, begins an append to the log file and
//                                  stops in the middle of it for good, after setting the named
//                                  event: a writer to be killed there
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

#include "EvtFile.h"
#include "LogSharedState.h"
#include "Owners.h"
#include "ServiceLibrary.h"
#include "TestSupport.h"
#include "Win32Storage.h"

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

int Stamp(const std::string& source, long count, const std::string& tag) {
  const TServiceLibrary& svc = TServiceLibrary::Get();
  const HANDLE log = svc.RegisterEventSourceA(nullptr, source.c_str());
  if (!log) return Fail("RegisterEventSourceA", GetLastError());
  for (long i = 0; i < count; ++i) {
    if (!corvane::evtsvc::test::ReportStamped(log, tag, i)) return Fail("ReportEventA", GetLastError());
  }
  if (!svc.DeregisterEventSource(log)) return Fail("DeregisterEventSource", GetLastError());
  return 0;
}

int Clear(const std::string& name, long times, DWORD pause) {
  const TServiceLibrary& svc = TServiceLibrary::Get();
  const corvane::evtsvc::test::TUniqueLog log(svc.OpenEventLogA(nullptr, name.c_str()));
  if (!log) return Fail("OpenEventLogA", GetLastError());
  for (long i = 0; i < times; ++i) {
    if (i > 0) Sleep(pause);
    if (!svc.ClearEventLogA(log.get(), nullptr)) return Fail("ClearEventLogA", GetLastError());
  }
  return 0;
}

// A log's storage that stops for good at its `writes`-th write, as a process stopped there.
class TStallingStorage final : public corvane::evt::TStorage {
 public:
  TStallingStorage(corvane::evt::TStorage& inner, int writes, HANDLE stopped)
      : inner_(inner), writesLeft_(writes), stopped_(stopped) {}
  uint64_t Size() const override { return inner_.Size(); }
  void Read(uint64_t offset, void* buffer, size_t count) const override { inner_.Read(offset, buffer, count); }
  void Write(uint64_t offset, const void* data, size_t count) override {
    if (writesLeft_-- == 0) {
      SetEvent(stopped_);
      Sleep(INFINITE);
    }
    inner_.Write(offset, data, count);
  }
  void Resize(uint64_t size) override { inner_.Resize(size); }
  void Flush() override { inner_.Flush(); }

 private:
  corvane::evt::TStorage& inner_;
  int writesLeft_;
  HANDLE stopped_;
};

// Stops after the end-of-file record and the body of the new record, before the record's
// leading length makes it whole.
int Stall(const std::string& file, const std::string& eventName) {
  using namespace corvane::evtsvc;
  const UniqueHandle stopped(OpenEventA(EVENT_MODIFY_STATE, FALSE, eventName.c_str()));
  if (!stopped) return Fail("OpenEventA", GetLastError());
  const std::wstring path(file.begin(), file.end());
  TLogSharedState state(CanonicalPath(path));
  const TLogSharedState::Lock lock = state.Acquire();
  const TLogSharedState::Change change(state, lock);
  TWin32Storage storage(path, TWin32Storage::TMode::OpenOrCreate);
  TStallingStorage stalling(storage, 2, stopped.get());
  const auto log = corvane::evt::TLogFile::Open(stalling, false);
  corvane::evt::Record record;
  record.sourceName = u"CorvaneStalled";
  record.computerName = u"HERE";
  record.strings = {u"never whole"};
  log->Append(record);
  return Fail("the append was not stopped", 0);
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
  if (args.size() == 4 && args[0] == "stamp") return Stamp(args[1], std::atol(args[2].c_str()), args[3]);
  if (args.size() == 2 && args[0] == "clear") return Clear(args[1], 1, 0);
  if (args.size() == 4 && args[0] == "clear") {
    return Clear(args[1], std::atol(args[2].c_str()), std::strtoul(args[3].c_str(), nullptr, 10));
  }
  if (args.size() == 3 && args[0] == "stall") return Stall(args[1], args[2]);
  if (args.size() == 4 && args[0] == "follow") {
    return Follow(args[1], std::strtoul(args[2].c_str(), nullptr, 10),
                  std::strtoul(args[3].c_str(), nullptr, 10));
  }
  std::printf(
      "usage: evtsvc_tool write|stamp <source> <count> <tag> | clear <log> [<times> <ms>] |\n"
      "       follow <log> <count> <ms> | stall <file> <event>\n");
  return 1;
}
