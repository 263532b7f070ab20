// The options of count, dump and stats, shared by their two readers: the one through the service
// and the one that reads a saved file directly.
#pragma once

#include <set>
#include <string>

#include "DumpFormat.h"
#include "Options.h"

namespace corvane::cli {

// Each set holds the filter options too.
extern const std::set<std::string> kCountOptions;
extern const std::set<std::string> kCountFlags;
extern const std::set<std::string> kDumpOptions;
extern const std::set<std::string> kDumpFlags;
extern const std::set<std::string> kStatsOptions;
extern const std::set<std::string> kStatsFlags;

// text (the default), jsonl or csv; a usage error otherwise.
DumpFormat FormatFrom(const Options& options);

}  // namespace corvane::cli
