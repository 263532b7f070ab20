#include "FileCommands.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "DumpOptions.h"
#include "FileLog.h"
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

}  // namespace

int FileCount(const std::vector<std::string>& args) {
  const Options options(args, kCountOptions, {});
  if (!options.Positional().empty()) throw UsageError("count takes no arguments");
  const std::string file = FileFrom(options);
  std::optional<uint32_t> count;
  {
    const evt::FileStorage storage(file, evt::FileStorage::Mode::ReadOnly);
    count = evt::StatedCount(storage);
  }
  if (!count) count = TFileLog(file).Count();
  std::printf("%u\n", *count);
  return 0;
}

int FileDump(const std::vector<std::string>& args) {
  const Options options(args, kDumpOptions, kDumpFlags);
  if (!options.Positional().empty()) throw UsageError("dump takes no arguments");
  const std::string file = FileFrom(options);
  const DumpFormat format = FormatFrom(options);
  const bool backwards = options.Has("backwards");
  TFileLog log(file);
  const uint32_t total = log.Count();
  const uint32_t wanted = std::min(options.Number("newest").value_or(total), total);
  const uint32_t oldest = log.OldestRecordNumber();

  if (format == DumpFormat::Csv) Print(CsvHeader(false) + "\n");
  DumpRecord record;
  for (uint32_t i = 0; i < wanted; ++i) {
    const uint32_t position = backwards ? total - 1 - i : total - wanted + i;
    log.Read(oldest + position, record);
    record.number = position;
    std::string text = FormatRecord(record, format);
    if (format != DumpFormat::Text) text += '\n';
    Print(text);
  }
  return 0;
}

}  // namespace corvane::cli
