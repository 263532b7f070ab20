// count, dump, stats and watch: reading a log through the service.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "Commands.h"
#include "DumpFormat.h"
#include "DumpOptions.h"
#include "LogReader.h"
#include "Options.h"
#include "RecordFilter.h"
#include "RecordWalk.h"
#include "RegisteredLogs.h"
#include "ServiceRecords.h"
#include "Stats.h"
#include "TimeArgument.h"
#include "core/EventLog.h"
#include "core/EventLogHandles.h"
#include "framework/AsciiText.h"
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
  if (!log) RaiseLastSystemErrorOr("the log could not be opened");
  return log;
}

// Shows "records done of total" (or, total unknown, "records done") on stderr once a dump has
// run for a second, when stderr is a terminal (the wrapper script tells, since under Wine the
// console cannot).
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
    if (total_ == 0) {
      std::fprintf(stderr, "\r%llu records", static_cast<unsigned long long>(done));
    } else {
      std::fprintf(stderr, "\r%llu of %llu records", static_cast<unsigned long long>(done),
                   static_cast<unsigned long long>(total_));
    }
    shown_ = true;
  }

 private:
  uint64_t total_;
  bool enabled_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point start_;
};

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

void Print(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
}

// The SID of an account of the machine the log is read from.
std::vector<uint8_t> AccountSid(const std::string& machine, const std::string& name) {
  BYTE sid[SECURITY_MAX_SID_SIZE];
  DWORD sidSize = sizeof sid;
  char domain[256];
  DWORD domainSize = sizeof domain;
  SID_NAME_USE use;
  SetLastError(0);
  if (!EventLogApi.LookupAccountNameA(machine.empty() ? nullptr : machine.c_str(), name.c_str(),
                                      sid, &sidSize, domain, &domainSize, &use)) {
    const std::string text(WithoutLineEnds(SystemErrorText(static_cast<int32_t>(GetLastError()))));
    throw EOleSysError("--user \"" + name + "\": " + text, kSystemErrorCode);
  }
  const size_t length = 8 + 4 * static_cast<size_t>(sid[1]);
  if (!SidFitsBuffer(sid, sizeof sid))
    RaiseSystemError("--user \"" + name + "\": the account's SID is malformed");
  return std::vector<uint8_t>(sid, sid + length);
}

// Read before the log is opened, so that a usage error comes first.
TRecordFilter FilterFrom(const Options& options) {
  const std::string machine = MachineArgument(options.Get("machine").value_or(""));
  return TRecordFilter(options, {LocalOffset, [machine](const std::string& name) {
                                   return AccountSid(machine, name);
                                 }});
}

// The log a command names, opened, with the message texts when --messages asks for them.
struct TFilteredLog {
  explicit TFilteredLog(const Options& options)
      : log(OpenSource(SourceFrom(options))),
        messages(options.Has("messages") ? std::make_unique<TMessageLookup>(TMessageKeeping::ForItsLife)
                                         : nullptr),
        walker(log.get(), messages.get()) {}

  TEventLogHandle log;
  std::unique_ptr<TMessageLookup> messages;
  TServiceWalker walker;
};

}  // namespace

int Count(const std::vector<std::string>& args) {
  const Options options(args, kCountOptions, kCountFlags);
  if (!options.Positional().empty()) throw UsageError("count takes no arguments");
  const TRecordFilter filter = FilterFrom(options);
  const std::optional<uint32_t> newest = options.Number("newest");
  TFilteredLog source(options);
  const uint64_t count =
      filter.Empty() && !newest ? source.walker.Total() : CountKept(source.walker, filter, newest);
  std::printf("%llu\n", static_cast<unsigned long long>(count));
  return 0;
}

int Dump(const std::vector<std::string>& args) {
  const Options options(args, kDumpOptions, kDumpFlags);
  if (!options.Positional().empty()) throw UsageError("dump takes no arguments");
  const DumpFormat format = FormatFrom(options);
  const TRecordFilter filter = FilterFrom(options);
  const std::optional<uint32_t> newest = options.Number("newest");
  TFilteredLog source(options);
  TServiceWalker& walker = source.walker;
  if (format == DumpFormat::Csv) Print(CsvHeader(source.messages != nullptr) + "\n");
  TProgress progress(filter.Empty() ? std::min(newest.value_or(UINT32_MAX), walker.Total()) : 0);
  uint64_t done = 0;
  VisitKept(walker, filter, newest, options.Has("backwards"), [&](uint32_t position, TRecordView&) {
    TServiceRecord& current = walker.Current();
    DumpRecord record = ToDump(current.Raw(), position);
    if (source.messages) record.message = *current.Message();
    Print(FormatRecord(record, format) + (format == DumpFormat::Text ? "" : "\n"));
    progress.Step(++done);
    return true;
  });
  return 0;
}

int Stats(const std::vector<std::string>& args) {
  const Options options(args, kStatsOptions, kStatsFlags);
  if (!options.Positional().empty()) throw UsageError("stats takes no arguments");
  const DumpFormat format = FormatFrom(options);
  TStats stats(options);
  const TRecordFilter filter = FilterFrom(options);
  TFilteredLog source(options);
  Summarize(source.walker, filter, stats);
  stats.Write(format, Print);
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
