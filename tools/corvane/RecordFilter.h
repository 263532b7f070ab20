// Which records count, dump and stats keep: the filter options, read once from the command line
// and asked of every record. Options of different names must all hold; the values of one
// option (repeated, or a comma list) are alternatives. Fixed fields are tested first, then the
// names, then the insertion strings and message, so a record is turned down as soon as it can
// be. Needs no Windows header: the caller's time zone and account names are the build's.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "Options.h"
#include "RecordView.h"
#include "TextMatch.h"
#include "TimeArgument.h"

namespace corvane::cli {

// after, before, type, source, id, category, computer, user, match.
extern const std::set<std::string> kFilterOptions;

// What the filter asks of the system it runs on.
struct TFilterSystem {
  TOffsetAt localOffset;  // the caller's time zone
  // The SID of an account name; throws when it cannot be found.
  std::function<std::vector<uint8_t>(const std::string& name)> lookupAccount;
};

// Identifiers or categories from `low` to `high`: for identifiers, the low 16 bits as event
// viewers show them, or all 32 when `whole`.
struct TValueRange {
  uint32_t low = 0, high = 0;
  bool whole = false;
};

class TRecordFilter {
 public:
  // Usage errors name the option and the value at fault.
  TRecordFilter(const Options& options, const TFilterSystem& system);

  bool Empty() const { return empty_; }
  bool Keeps(TRecordView& record) const;

 private:
  bool KeepsHead(const TRecordHead& head) const;

  bool empty_ = true;
  std::optional<int64_t> after_, before_;  // first second kept, first second no longer kept
  std::vector<uint16_t> types_;
  std::vector<TValueRange> ids_, categories_;
  std::vector<TWildcard> sources_, computers_;
  std::vector<std::vector<uint8_t>> users_;
  std::vector<TSubstring> matches_;
};

// The bytes of a SID written "S-1-5-21-...", or nothing when the text is not one.
std::optional<std::vector<uint8_t>> SidFromText(const std::string& text);

}  // namespace corvane::cli
