#include "FileCommands.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <system_error>

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

}  // namespace

int FileCount(const std::vector<std::string>& args) {
  const Options options(args, kCountOptions, {});
  if (!options.Positional().empty()) throw UsageError("count takes no arguments");
  const std::string file = FileFrom(options);
  const uint32_t count = WithFileErrors(file, [&] {
    {
      const evt::TFileStorage storage(file, evt::TFileStorage::TMode::ReadOnly);
      if (const std::optional<uint32_t> stated = evt::StatedCount(storage)) return *stated;
    }
    return TFileLog(file).Count();
  });
  std::printf("%u\n", count);
  return 0;
}

int FileDump(const std::vector<std::string>& args) {
  const Options options(args, kDumpOptions, kDumpFlags);
  if (!options.Positional().empty()) throw UsageError("dump takes no arguments");
  const std::string file = FileFrom(options);
  const DumpFormat format = FormatFrom(options);
  const bool backwards = options.Has("backwards");
  return WithFileErrors(file, [&] {
    TFileLog log(file);
    const uint32_t total = log.Count();
    const uint32_t wanted = std::min(options.Number("newest").value_or(total), total);

    if (format == DumpFormat::Csv) Print(CsvHeader(false) + "\n");
    DumpRecord record;
    for (uint32_t i = 0; i < wanted; ++i) {
      const uint32_t position = backwards ? total - 1 - i : total - wanted + i;
      log.Read(log.NumberAt(position), record);
      record.number = position;
      std::string text = FormatRecord(record, format);
      if (format != DumpFormat::Text) text += '\n';
      Print(text);
    }
    return 0;
  });
}

}  // namespace corvane::cli
