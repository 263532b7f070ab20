#include "DumpOptions.h"

#include "RecordFilter.h"
#include "UsageError.h"

namespace corvane::cli {

// Here, before the sets built from it: objects of one file are made in order.
const std::set<std::string> kFilterOptions = {"after",    "before",   "type", "source", "id",
                                              "category", "computer", "user", "match"};

namespace {

std::set<std::string> WithFilters(std::set<std::string> options) {
  options.insert(kFilterOptions.begin(), kFilterOptions.end());
  return options;
}

}  // namespace

const std::set<std::string> kCountOptions = WithFilters({"log", "file", "machine", "newest"});
// --messages only lets --match look in the message texts too.
const std::set<std::string> kCountFlags = {"messages"};
const std::set<std::string> kDumpOptions =
    WithFilters({"log", "file", "machine", "format", "newest"});
const std::set<std::string> kDumpFlags = {"backwards", "messages"};
const std::set<std::string> kStatsOptions =
    WithFilters({"log", "file", "machine", "by", "top", "format"});
const std::set<std::string> kStatsFlags = {"messages"};

DumpFormat FormatFrom(const Options& options) {
  const std::string name = options.Get("format").value_or("text");
  if (name == "text") return DumpFormat::Text;
  if (name == "jsonl") return DumpFormat::Jsonl;
  if (name == "csv") return DumpFormat::Csv;
  throw UsageError("--format \"" + name + "\": not text, jsonl or csv");
}

}  // namespace corvane::cli
