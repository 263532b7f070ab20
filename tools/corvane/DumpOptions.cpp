#include "DumpOptions.h"

#include "UsageError.h"

namespace corvane::cli {

const std::set<std::string> kCountOptions = {"log", "file", "machine"};
const std::set<std::string> kDumpOptions = {"log", "file", "machine", "format", "newest"};
const std::set<std::string> kDumpFlags = {"backwards", "messages"};

DumpFormat FormatFrom(const Options& options) {
  const std::string name = options.Get("format").value_or("text");
  if (name == "text") return DumpFormat::Text;
  if (name == "jsonl") return DumpFormat::Jsonl;
  if (name == "csv") return DumpFormat::Csv;
  throw UsageError("--format is text, jsonl or csv");
}

}  // namespace corvane::cli
