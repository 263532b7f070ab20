#include "RecordFilter.h"

#include <algorithm>
#include <cctype>

#include "UsageError.h"
#include "framework/AsciiText.h"

namespace corvane::cli {

namespace {

[[noreturn]] void BadValue(const std::string& option, const std::string& value,
                           const std::string& why) {
  throw UsageError("--" + option + " \"" + value + "\": " + why);
}

// Every value of a repeated option, comma lists split; empty items are refused.
std::vector<std::string> Items(const Options& options, const std::string& option, bool commaList) {
  std::vector<std::string> items;
  for (const std::string& value : options.All(option)) {
    size_t start = 0;
    for (;;) {
      const size_t comma = commaList ? value.find(',', start) : std::string::npos;
      std::string item = value.substr(start, comma == std::string::npos ? comma : comma - start);
      if (item.empty()) BadValue(option, value, "an empty value");
      items.push_back(std::move(item));
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }
  return items;
}

// Digits of `base` (10 or 16), at most `maxDigits` of them.
std::optional<uint64_t> Unsigned(const std::string& digits, int base, size_t maxDigits) {
  if (digits.empty() || digits.size() > maxDigits) return std::nullopt;
  uint64_t value = 0;
  for (char c : digits) {
    const auto u = static_cast<unsigned char>(c);
    if (base == 16 ? !std::isxdigit(u) : !std::isdigit(u)) return std::nullopt;
    value =
        value * static_cast<uint64_t>(base) + (std::isdigit(u) ? u - '0' : (u | 0x20) - 'a' + 10);
  }
  return value;
}

bool HexPrefix(const std::string& text) {
  return text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

// A decimal number, or a hexadecimal one after "0x" (`hex` then set), that fits 32 bits.
std::optional<uint32_t> ParseNumber(const std::string& text, bool& hex) {
  hex = HexPrefix(text);
  const auto value = hex ? Unsigned(text.substr(2), 16, 8) : Unsigned(text, 10, 10);
  if (!value || *value > UINT32_MAX) return std::nullopt;
  return static_cast<uint32_t>(*value);
}

constexpr struct {
  const char* name;
  uint16_t value;
} kTypes[] = {{"success", 0},     {"error", 1},         {"warning", 2},
              {"information", 4}, {"audit-success", 8}, {"audit-failure", 16}};

// "Machine" and "\\Machine" name the same computer.
std::string WithoutBackslashes(const std::string& name) {
  return name.substr(std::min(name.find_first_not_of('\\'), name.size()));
}

// Given more than once, either time will do: the earliest --after, the latest --before.
std::optional<int64_t> TimeBound(const Options& options, const std::string& option, bool latest,
                                 const TOffsetAt& localOffset) {
  std::optional<int64_t> chosen;
  for (const std::string& text : options.All(option)) {
    const auto written = ParseWrittenTime(text);
    if (!written) {
      BadValue(option, text,
               "not a date YYYY-MM-DD or a date and time YYYY-MM-DDThh:mm[:ss], "
               "with Z or an offset +hh:mm where it is not local time");
    }
    const int64_t second = FirstSecondAtOrAfter(*written, localOffset);
    if (!chosen || (latest ? second > *chosen : second < *chosen)) chosen = second;
  }
  return chosen;
}

std::vector<uint16_t> Types(const Options& options) {
  std::vector<uint16_t> types;
  for (const std::string& item : Items(options, "type", true)) {
    const auto it = std::find_if(std::begin(kTypes), std::end(kTypes), [&](const auto& t) {
      return SameAsciiIgnoringCase(item, t.name);
    });
    if (it == std::end(kTypes)) {
      BadValue("type", item,
               "not one of error, warning, information, success, audit-success, audit-failure");
    }
    types.push_back(it->value);
  }
  return types;
}

// N, N-M, 0xHHHHHHHH or 0xHHHHHHHH-0xHHHHHHHH. An identifier up to 65535 and in decimal is the
// one event viewers show (the low 16 bits); in hexadecimal or above that, all 32 bits. Other
// numbers (categories) run from 0 to 65535, in decimal.
std::vector<TValueRange> Ranges(const Options& options, const std::string& option,
                                bool identifiers) {
  std::vector<TValueRange> ranges;
  for (const std::string& item : Items(options, option, true)) {
    const size_t dash = item.find('-', 1);
    bool lowHex = false, highHex = false;
    const auto low = ParseNumber(item.substr(0, dash), lowHex);
    const auto high = dash == std::string::npos ? low : ParseNumber(item.substr(dash + 1), highHex);
    if (dash == std::string::npos) highHex = lowHex;
    if (!low || !high) {
      BadValue(option, item,
               identifiers ? "not an identifier N, a range N-M or 0xHHHHHHHH"
                           : "not a number N or a range N-M");
    }
    if (*low > *high) BadValue(option, item, "the range ends before it starts");
    const bool lowWhole = lowHex || *low > 0xFFFF, highWhole = highHex || *high > 0xFFFF;
    if (!identifiers && (lowWhole || highWhole)) {
      BadValue(option, item, "not a number from 0 to 65535");
    }
    if (lowWhole != highWhole) {
      BadValue(option, item, "a range of a shown identifier (0 to 65535) and a whole one (0x...)");
    }
    ranges.push_back({*low, *high, lowWhole});
  }
  return ranges;
}

}  // namespace

std::optional<std::vector<uint8_t>> SidFromText(const std::string& text) {
  if (text.size() < 4 || (text[0] != 'S' && text[0] != 's') || text[1] != '-') return std::nullopt;
  std::vector<std::string> parts;
  for (size_t start = 2;;) {
    const size_t dash = text.find('-', start);
    parts.push_back(text.substr(start, dash == std::string::npos ? dash : dash - start));
    if (dash == std::string::npos) break;
    start = dash + 1;
  }
  // Revision 1, an authority, and up to 15 sub-authorities.
  if (parts.size() < 2 || parts.size() > 17 || parts[0] != "1") return std::nullopt;
  // The authority in decimal, or above 32 bits in hexadecimal as SIDs are written then.
  const auto authority =
      HexPrefix(parts[1]) ? Unsigned(parts[1].substr(2), 16, 12) : Unsigned(parts[1], 10, 10);
  if (!authority || (!HexPrefix(parts[1]) && *authority > UINT32_MAX)) return std::nullopt;
  std::vector<uint8_t> sid = {1, static_cast<uint8_t>(parts.size() - 2)};
  for (int shift = 40; shift >= 0; shift -= 8)
    sid.push_back(static_cast<uint8_t>(*authority >> shift));
  for (size_t i = 2; i < parts.size(); ++i) {
    const auto sub = Unsigned(parts[i], 10, 10);
    if (!sub || *sub > UINT32_MAX) return std::nullopt;
    for (int shift = 0; shift < 32; shift += 8) sid.push_back(static_cast<uint8_t>(*sub >> shift));
  }
  return sid;
}

TRecordFilter::TRecordFilter(const Options& options, const TFilterSystem& system) {
  for (const std::string& name : kFilterOptions) empty_ &= !options.Has(name);
  after_ = TimeBound(options, "after", false, system.localOffset);
  before_ = TimeBound(options, "before", true, system.localOffset);
  if (after_ && before_ && *after_ >= *before_) {
    BadValue("before", *options.Get("before"),
             "not later than --after \"" + *options.Get("after") + "\"");
  }
  types_ = Types(options);
  ids_ = Ranges(options, "id", true);
  categories_ = Ranges(options, "category", false);
  for (const std::string& item : Items(options, "source", true)) sources_.emplace_back(item);
  for (const std::string& item : Items(options, "computer", true)) {
    if (WithoutBackslashes(item).empty()) BadValue("computer", item, "no computer name");
    computers_.emplace_back(WithoutBackslashes(item));
  }
  for (const std::string& item : Items(options, "user", true)) {
    if (item.size() > 1 && (item[0] == 'S' || item[0] == 's') && item[1] == '-') {
      auto sid = SidFromText(item);
      if (!sid) BadValue("user", item, "not a SID S-1-N-N...");
      users_.push_back(std::move(*sid));
    } else {
      users_.push_back(system.lookupAccount(item));
    }
  }
  for (const std::string& item : Items(options, "match", false)) matches_.emplace_back(item);
}

bool TRecordFilter::KeepsHead(const TRecordHead& head) const {
  if (after_ && head.generated < *after_) return false;
  if (before_ && head.generated >= *before_) return false;
  if (!types_.empty() && std::find(types_.begin(), types_.end(), head.type) == types_.end()) {
    return false;
  }
  const auto inRanges = [](const std::vector<TValueRange>& ranges, uint32_t value) {
    if (ranges.empty()) return true;
    return std::any_of(ranges.begin(), ranges.end(), [value](const TValueRange& r) {
      const uint32_t v = r.whole ? value : (value & 0xFFFF);
      return v >= r.low && v <= r.high;
    });
  };
  if (!inRanges(ids_, head.eventId) || !inRanges(categories_, head.category)) return false;
  if (!users_.empty() &&
      std::none_of(users_.begin(), users_.end(), [&](const std::vector<uint8_t>& sid) {
        return std::equal(sid.begin(), sid.end(), head.sid.begin(), head.sid.end());
      })) {
    return false;
  }
  return true;
}

bool TRecordFilter::Keeps(TRecordView& record) const {
  if (empty_) return true;
  if (!KeepsHead(record.Head())) return false;
  const auto anyMatches = [](const std::vector<TWildcard>& patterns, const std::string& text) {
    return patterns.empty() || std::any_of(patterns.begin(), patterns.end(),
                                           [&](const TWildcard& p) { return p.Matches(text); });
  };
  if (!anyMatches(sources_, record.Source())) return false;
  if (!anyMatches(computers_, record.Computer())) return false;
  if (matches_.empty()) return true;
  const std::string* message = record.Message();
  const auto& strings = record.Strings();
  return std::any_of(matches_.begin(), matches_.end(), [&](const TSubstring& text) {
    return (message && text.FoundIn(*message)) ||
           std::any_of(strings.begin(), strings.end(),
                       [&](const std::string& s) { return text.FoundIn(s); });
  });
}

}  // namespace corvane::cli
