// The options of count and dump, shared by their two readers: the one through the service and
// the one that reads a saved file directly.
#pragma once

#include <set>
#include <string>

#include "DumpFormat.h"
#include "Options.h"

namespace corvane::cli {

extern const std::set<std::string> kCountOptions;
extern const std::set<std::string> kDumpOptions;
extern const std::set<std::string> kDumpFlags;

// text (the default), jsonl or csv; a usage error otherwise.
DumpFormat FormatFrom(const Options& options);

}  // namespace corvane::cli
