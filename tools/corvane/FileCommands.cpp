#include "FileCommands.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <system_error>

#include "DumpOptions.h"
#include "FileLog.h"
#include "RecordWalk.h"
#include "TimeArgument.h"
#include "UsageError.h"

namespace corvane::cli {
namespace {

// The same refusals as the reader through the service, and those of what only it can do.
std::string FileFrom(const Options& options) {
  if (options.Has("log") == options.Has("file")) throw UsageError("give --log NAME or --file PATH");
  if (options.Has("log") || options.Has("machine") || options.Has("messages")) {
    throw UsageError("live logs, other machines and messages are read by the Windows build");
  }
  std::string file = *options.Get("file");
  if (file.empty()) throw UsageError("the log or file name is empty");
  return file;
}

void Print(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

// Runs `read` on `file` with its failures worded as the Windows build words the system's errors
// for the same file, so that a caller sees the same line whichever build read it.
template <class Read>
auto WithFileErrors(const std::string& file, Read&& read) {
  try {
    return read();
  } catch (const evt::TCorruptLog&) {
    throw std::runtime_error("1500: Event log file corrupt.");
  } catch (const std::system_error& e) {
    const std::error_code code = e.code();
    if (code == std::errc::no_such_file_or_directory) {
      const std::filesystem::path folder = std::filesystem::path(file).parent_path();
      std::error_code ignored;
      if (!folder.empty() && !std::filesystem::is_directory(folder, ignored)) {
        throw std::runtime_error("3: Path not found.");
      }
      throw std::runtime_error("2: File not found.");
    }
    if (code == std::errc::permission_denied || code == std::errc::operation_not_permitted ||
        code == std::errc::is_a_directory) {
      throw std::runtime_error("5: Access denied.");
    }
    throw;
  }
}

// The file's records for the filters, by position.
class TFileWalker : public TRecordWalker {
 public:
  explicit TFileWalker(TFileLog& log) : log_(log) {}
  uint32_t Total() override { return log_.Count(); }
  void Walk(uint32_t start, bool backwards, const TVisit& visit) override {
    for (int64_t position = start; position >= 0 && position < log_.Count();
         position += backwards ? -1 : 1) {
      const auto at = static_cast<uint32_t>(position);
      if (!visit(at, log_.Fetch(log_.NumberAt(at)))) return;
    }
  }

 private:
  TFileLog& log_;
};

// The time zone is the C library's; account names need the system's lookup, which the Windows
// build makes (bin/corvane sends it the command lines that name an account).
TRecordFilter FilterFrom(const Options& options) {
  return TRecordFilter(options,
                       {LocalOffset, [](const std::string& name) -> std::vector<uint8_t> {
                          throw UsageError("--user \"" + name +
                                           "\": account names are looked "
                                           "up by the Windows build; give a SID (S-1-...)");
                        }});
}

}  // namespace

int FileCount(const std::vector<std::string>& args) {
  const Options options(args, kCountOptions, kCountFlags);
  if (!options.Positional().empty()) throw UsageError("count takes no arguments");
  const std::string file = FileFrom(options);
  const TRecordFilter filter = FilterFrom(options);
  const std::optional<uint32_t> newest = options.Number("newest");
  const uint64_t count = WithFileErrors(file, [&]() -> uint64_t {
    if (filter.Empty() && !newest) {
      const evt::TFileStorage storage(file, evt::TFileStorage::TMode::ReadOnly);
      if (const std::optional<uint32_t> stated = evt::StatedCount(storage)) return *stated;
    }
    TFileLog log(file);
    TFileWalker walker(log);
    return CountKept(walker, filter, newest);
  });
  std::printf("%llu\n", static_cast<unsigned long long>(count));
  return 0;
}

int FileDump(const std::vector<std::string>& args) {
  const Options options(args, kDumpOptions, kDumpFlags);
  if (!options.Positional().empty()) throw UsageError("dump takes no arguments");
  const std::string file = FileFrom(options);
  const DumpFormat format = FormatFrom(options);
  const TRecordFilter filter = FilterFrom(options);
  const std::optional<uint32_t> newest = options.Number("newest");
  return WithFileErrors(file, [&] {
    TFileLog log(file);
    TFileWalker walker(log);
    if (format == DumpFormat::Csv) Print(CsvHeader(false) + "\n");
    DumpRecord record;
    VisitKept(walker, filter, newest, options.Has("backwards"),
              [&](uint32_t position, TRecordView&) {
                log.Decode(record);
                record.number = position;
                std::string text = FormatRecord(record, format);
                if (format != DumpFormat::Text) text += '\n';
                Print(text);
                return true;
              });
    return 0;
  });
}

int FileStats(const std::vector<std::string>& args) {
  const Options options(args, kStatsOptions, kStatsFlags);
  if (!options.Positional().empty()) throw UsageError("stats takes no arguments");
  const std::string file = FileFrom(options);
  const DumpFormat format = FormatFrom(options);
  TStats stats(options);
  const TRecordFilter filter = FilterFrom(options);
  return WithFileErrors(file, [&] {
    TFileLog log(file);
    TFileWalker walker(log);
    Summarize(walker, filter, stats);
    stats.Write(format, Print);
    return 0;
  });
}

}  // namespace corvane::cli
