// count, dump and watch: reading a log.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "Commands.h"
#include "DumpFormat.h"
#include "DumpOptions.h"
#include "LogReader.h"
#include "MessageCache.h"
#include "Options.h"
#include "RegisteredLogs.h"
#include "core/EventLog.h"
#include "core/EventLogHandles.h"
#include "framework/Component.h"
#include "system/ErrorText.h"
#include "system/NTCommon.h"

namespace corvane::cli {
namespace {

struct TLogSource {
  std::string machine;  // "\\NAME", or empty for this machine
  std::string log;      // a live log, or
  std::string file;     // a backup file
};

TLogSource SourceFrom(const Options& options) {
  TLogSource source;
  source.machine = MachineArgument(options.Get("machine").value_or(""));
  if (options.Has("log") == options.Has("file")) throw UsageError("give --log NAME or --file PATH");
  if (auto log = options.Get("log")) source.log = *log;
  if (auto file = options.Get("file")) source.file = HostPath(*file);
  if ((options.Has("log") && source.log.empty()) || (options.Has("file") && source.file.empty()))
    throw UsageError("the log or file name is empty");
  if (!source.log.empty()) RequireRegisteredLog(source.machine, source.log);
  return source;
}

TEventLogHandle OpenSource(const TLogSource& source) {
  const char* server = source.machine.empty() ? nullptr : source.machine.c_str();
  SetLastError(0);
  TEventLogHandle log(source.file.empty()
                          ? EventLogApi.OpenEventLogA(server, source.log.c_str())
                          : EventLogApi.OpenBackupEventLogA(server, source.file.c_str()));
  if (!log) {
    RaiseLastSystemError();
    RaiseSystemError("the log could not be opened");
  }
  return log;
}

uint32_t RecordCount(HANDLE log) {
  DWORD count = 0;
  if (!EventLogApi.GetNumberOfEventLogRecords(log, &count)) RaiseLastSystemError();
  return count;
}

DumpRecord ToDump(const TRawRecord& raw, int64_t number) {
  DumpRecord r;
  r.number = number;
  r.record = raw.RecordNumber;
  r.generated = raw.TimeGenerated;
  r.written = raw.TimeWritten;
  r.eventId = raw.EventId;
  r.type = raw.EventType;
  r.category = raw.EventCategory;
  r.source = AnsiToUtf8(raw.SourceName);
  r.computer = AnsiToUtf8(raw.ComputerName);
  r.sid.assign(raw.Sid.begin(), raw.Sid.end());
  for (auto s : raw.Strings) r.strings.push_back(AnsiToUtf8(s));
  r.data.assign(raw.Data.begin(), raw.Data.end());
  return r;
}

// Shows "records done of total" on stderr once a dump has run for a second, when stderr is a
// terminal (the wrapper script tells, since under Wine the console cannot).
class TProgress {
 public:
  explicit TProgress(uint64_t total)
      : total_(total), enabled_(std::getenv("CORVANE_PROGRESS") != nullptr),
        start_(std::chrono::steady_clock::now()) {}
  ~TProgress() {
    if (shown_) std::fputs("\r\x1b[K", stderr);
  }
  void Step(uint64_t done) {
    if (!enabled_ || (done & 1023) != 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - start_ < std::chrono::seconds(1)) return;
    std::fprintf(stderr, "\r%llu of %llu records", static_cast<unsigned long long>(done),
                 static_cast<unsigned long long>(total_));
    shown_ = true;
  }

 private:
  uint64_t total_;
  bool enabled_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point start_;
};

void Print(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
}

// The number of the first of the newest `wanted` of `total` records. Numbers follow one another,
// except in a damaged backup whose reading left records out: there they are counted back from
// the newest.
uint32_t FirstOfNewest(HANDLE log, uint32_t total, uint32_t wanted) {
  DWORD oldest = 0;
  if (!EventLogApi.GetOldestEventLogRecord(log, &oldest)) RaiseLastSystemError();
  uint32_t newest = 0;
  TLogReader(log, true).ForEach([&](const TRawRecord& raw) {
    newest = raw.RecordNumber;
    return false;
  });
  if (newest - oldest == total - 1) return oldest + (total - wanted);
  uint32_t first = newest;
  TLogReader(log, true, newest).ForEach([&](const TRawRecord& raw) {
    first = raw.RecordNumber;
    return true;
  }, wanted);
  return first;
}

}  // namespace

int Count(const std::vector<std::string>& args) {
  const Options options(args, kCountOptions, {});
  if (!options.Positional().empty()) throw UsageError("count takes no arguments");
  const TLogSource source = SourceFrom(options);
  TEventLogHandle log = OpenSource(source);
  std::printf("%u\n", RecordCount(log.get()));
  return 0;
}

int Dump(const std::vector<std::string>& args) {
  const Options options(args, kDumpOptions, kDumpFlags);
  if (!options.Positional().empty()) throw UsageError("dump takes no arguments");
  const TLogSource source = SourceFrom(options);
  const DumpFormat format = FormatFrom(options);
  const bool backwards = options.Has("backwards");
  TEventLogHandle log = OpenSource(source);
  const uint32_t total = RecordCount(log.get());
  const uint32_t wanted = std::min(options.Number("newest").value_or(total), total);

  // Forwards with --newest starts at the first of the newest records, found by number.
  uint32_t first = 0;
  if (!backwards && wanted < total) first = FirstOfNewest(log.get(), total, wanted);
  std::unique_ptr<TMessageCache> messages;
  if (options.Has("messages")) messages = std::make_unique<TMessageCache>();
  if (format == DumpFormat::Csv) Print(CsvHeader(messages != nullptr) + "\n");
  TProgress progress(wanted);
  int64_t number = backwards ? static_cast<int64_t>(total) - 1 : total - wanted;
  uint64_t done = 0;
  TLogReader reader(log.get(), backwards, first);
  reader.ForEach(
      [&](const TRawRecord& raw) {
        DumpRecord record = ToDump(raw, number);
        if (messages) record.message = AnsiToUtf8(messages->Text(raw));
        Print(FormatRecord(record, format) + (format == DumpFormat::Text ? "" : "\n"));
        number += backwards ? -1 : 1;
        progress.Step(++done);
        return true;
      },
      wanted);
  return 0;
}

int Watch(const std::vector<std::string>& args) {
  const Options options(args, {"log", "machine", "format"}, {});
  if (!options.Positional().empty()) throw UsageError("watch takes no arguments");
  const std::string logName = options.Get("log").value_or("");
  if (logName.empty()) throw UsageError("watch follows a live log: give --log NAME");
  const std::string machine = MachineArgument(options.Get("machine").value_or(""));
  const DumpFormat format = FormatFrom(options);
  RequireRegisteredLog(machine, logName);

  // Opened as when restored from saved state, so that the component's wait thread runs and its
  // OnChange reaches this thread.
  TVEVivudAre component(nullptr);
  {
    TComponentReading reading(component);
    component.SetMachineName(machine);
    component.SetSourceName(logName);
    component.SetActive(true);
    reading.Complete();
  }
  if (!component.Active()) RaiseSystemError("the log could not be opened");
  if (!component.GetMachineName().empty())
    RaiseSystemError("only logs of this machine report their changes");

  // Records are read through a handle of our own, past the newest one at the start: each change
  // reads on from where the last one stopped. A clear ends that handle's walk; the log is then
  // opened afresh and everything written since the clear is read. Positions count from the start
  // of the watch, and from 0 again after a clear.
  const TLogSource source{machine, logName, ""};
  TEventLogHandle reading = OpenSource(source);
  uint32_t seen = RecordCount(reading.get());
  if (seen != 0) {
    DWORD oldest = 0;
    if (!EventLogApi.GetOldestEventLogRecord(reading.get(), &oldest)) RaiseLastSystemError();
    TLogReader(reading.get(), false, oldest + seen - 1).ForEach([](const TRawRecord&) { return true; }, 1);
  }
  const auto printNew = [&] {
    for (;;) {
      TLogReader reader(reading.get(), false, 0, true);
      reader.ForEach([&](const TRawRecord& raw) {
        Print(FormatRecord(ToDump(raw, seen++), format) + (format == DumpFormat::Text ? "" : "\n"));
        return true;
      });
      if (!reader.Cleared()) break;
      reading = OpenSource(source);
      seen = 0;
    }
    std::fflush(stdout);
  };
  // The handler runs inside this thread's message dispatch: a failure ends the loop here.
  component.SetOnChange([&](TPersistent*) {
    try {
      printNew();
    } catch (const EOleSysError& e) {
      std::fprintf(stderr, "corvane: %s\n", e.Message().c_str());
      PostQuitMessage(1);
    }
  });
  std::fflush(stdout);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace corvane::cli
