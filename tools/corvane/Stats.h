// corvane stats: records counted by group (source, type, identifier, day, hour, computer,
// user), with the first and last time each group's events were generated. Grouping by several
// keys nests them: each group of the first key is split by the second, and so on. The log is
// streamed: memory grows with the number of groups, never with the number of records. Needs no
// Windows header.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "DumpFormat.h"
#include "Options.h"
#include "RecordView.h"

namespace corvane::cli {

enum class TStatsKey { Source, Type, Id, Day, Hour, Computer, User };

class TStats {
 public:
  // Reads --by (repeated, or a comma list) and --top; usage errors name the value at fault.
  explicit TStats(const Options& options);

  void Add(TRecordView& record);
  // The groups, largest first (days and hours in time order), each level cut to the --top
  // largest; one call of `print` per line.
  using TPrint = std::function<void(const std::string&)>;
  void Write(DumpFormat format, const TPrint& print) const;

 private:
  struct TGroup {
    uint64_t count = 0;
    uint32_t first = UINT32_MAX;  // earliest time generated
    uint32_t last = 0;            // latest
    void Add(const TGroup& other);
  };
  struct TRow;

  // The rows of the groups among `members` at `depth` and below, in the order they are shown.
  void Rows(const std::vector<std::pair<const std::string*, TGroup>>& members, size_t depth,
            std::vector<TRow>& rows) const;
  void WriteTable(const std::vector<TRow>& rows, const TPrint& print) const;
  void WriteInnermost(const std::vector<TRow>& rows, DumpFormat format, const TPrint& print) const;

  std::vector<TStatsKey> keys_;
  uint64_t top_ = UINT64_MAX;
  // Groups by their keys' values, encoded one after another (Add's scratch key is reused).
  std::unordered_map<std::string, TGroup> groups_;
  std::string scratch_;
};

}  // namespace corvane::cli
