#include "Stats.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "TextMatch.h"
#include "UsageError.h"
#include "framework/AsciiText.h"

namespace corvane::cli {

namespace {

constexpr struct {
  const char* name;
  TStatsKey key;
} kKeys[] = {{"source", TStatsKey::Source}, {"type", TStatsKey::Type},
             {"id", TStatsKey::Id},         {"day", TStatsKey::Day},
             {"hour", TStatsKey::Hour},     {"computer", TStatsKey::Computer},
             {"user", TStatsKey::User}};

const char* KeyName(TStatsKey key) {
  for (const auto& k : kKeys)
    if (k.key == key) return k.name;
  return "";
}

bool IsText(TStatsKey key) {
  return key == TStatsKey::Source || key == TStatsKey::Computer || key == TStatsKey::User;
}

bool InTimeOrder(TStatsKey key) { return key == TStatsKey::Day || key == TStatsKey::Hour; }

// A group's key holds its values one after another: a number in 4 bytes, a text (or a SID's
// bytes) as its length in 4 bytes and then the text.
void PutNumber(std::string& key, uint32_t value) {
  key.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void PutText(std::string& key, std::string_view text) {
  PutNumber(key, static_cast<uint32_t>(text.size()));
  key.append(text);
}

struct TValue {
  uint32_t number = 0;
  std::string_view text;
  std::string_view encoded;  // the value's bytes in the key
};

TValue Take(TStatsKey kind, const std::string& key, size_t& at) {
  TValue value;
  const size_t start = at;
  std::memcpy(&value.number, key.data() + at, sizeof value.number);
  at += sizeof value.number;
  if (IsText(kind)) {
    value.text = std::string_view(key).substr(at, value.number);
    at += value.number;
  }
  value.encoded = std::string_view(key).substr(start, at - start);
  return value;
}

// The value of the key at `depth`.
TValue ValueAt(const std::vector<TStatsKey>& keys, const std::string& key, size_t depth) {
  size_t at = 0;
  for (size_t i = 0; i < depth; ++i) Take(keys[i], key, at);
  return Take(keys[depth], key, at);
}

bool Before(TStatsKey kind, const TValue& a, const TValue& b) {
  return IsText(kind) ? a.text < b.text : a.number < b.number;
}

std::string SidText(std::string_view bytes) {
  const std::vector<uint8_t> sid(bytes.begin(), bytes.end());
  const std::string text = SidToText(sid);
  return text.empty() ? Hex(sid) : text;
}

// The value as a person reads it; "" for a record without a user.
std::string Plain(TStatsKey kind, const TValue& value) {
  switch (kind) {
    case TStatsKey::Source:
    case TStatsKey::Computer: return std::string(value.text);
    case TStatsKey::User: return value.text.empty() ? "" : SidText(value.text);
    case TStatsKey::Type: {
      const std::string name = TypeName(static_cast<uint16_t>(value.number));
      return name == "unknown" ? std::to_string(value.number) : name;
    }
    case TStatsKey::Id: return std::to_string(value.number);
    case TStatsKey::Day: return IsoTime(value.number * 86400).substr(0, 10);
    case TStatsKey::Hour: return IsoTime(value.number * 3600).substr(0, 16) + "Z";
  }
  return "";
}

std::string Json(TStatsKey kind, const TValue& value) {
  if (kind == TStatsKey::Id) return std::to_string(value.number);
  if (kind == TStatsKey::User && value.text.empty()) return "null";
  return JsonString(Plain(kind, value));
}

std::string Time(uint64_t count, uint32_t seconds, DumpFormat format) {
  if (count == 0)
    return format == DumpFormat::Text ? "-" : format == DumpFormat::Jsonl ? "null" : "";
  return format == DumpFormat::Jsonl ? "\"" + IsoTime(seconds) + "\"" : IsoTime(seconds);
}

}  // namespace

struct TStats::TRow {
  size_t depth;
  const std::string* key;  // a key of the group's, whose first depth + 1 values are the row's
  TGroup group;
};

void TStats::TGroup::Add(const TGroup& other) {
  count += other.count;
  first = std::min(first, other.first);
  last = std::max(last, other.last);
}

TStats::TStats(const Options& options) {
  for (const std::string& value : options.All("by")) {
    for (size_t start = 0;;) {
      const size_t comma = value.find(',', start);
      const std::string name =
          value.substr(start, comma == std::string::npos ? comma : comma - start);
      const auto it = std::find_if(std::begin(kKeys), std::end(kKeys),
                                   [&](const auto& k) { return SameAsciiIgnoringCase(name, k.name); });
      if (it == std::end(kKeys)) {
        throw UsageError("--by \"" + value +
                         "\": not one of source, type, id, day, hour, computer, user");
      }
      if (std::find(keys_.begin(), keys_.end(), it->key) != keys_.end()) {
        throw UsageError("--by \"" + value + "\": " + name + " is given twice");
      }
      keys_.push_back(it->key);
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }
  if (const auto top = options.Get("top")) {
    const bool digits = !top->empty() && top->size() <= 9 &&
                        top->find_first_not_of("0123456789") == std::string::npos;
    top_ = digits ? std::stoull(*top) : 0;
    if (top_ == 0) throw UsageError("--top \"" + *top + "\": not a number of groups from 1 up");
  }
}

void TStats::Add(TRecordView& record) {
  const TRecordHead& head = record.Head();
  scratch_.clear();
  for (const TStatsKey key : keys_) {
    switch (key) {
      case TStatsKey::Source: PutText(scratch_, record.Source()); break;
      case TStatsKey::Computer: PutText(scratch_, record.Computer()); break;
      case TStatsKey::User:
        PutText(scratch_,
                std::string_view(reinterpret_cast<const char*>(head.sid.data()), head.sid.size()));
        break;
      case TStatsKey::Type: PutNumber(scratch_, head.type); break;
      case TStatsKey::Id: PutNumber(scratch_, head.eventId & 0xFFFF); break;
      case TStatsKey::Day: PutNumber(scratch_, head.generated / 86400); break;
      case TStatsKey::Hour: PutNumber(scratch_, head.generated / 3600); break;
    }
  }
  auto it = groups_.find(scratch_);
  if (it == groups_.end()) it = groups_.emplace(scratch_, TGroup{}).first;
  it->second.Add(TGroup{1, head.generated, head.generated});
}

void TStats::Rows(const std::vector<std::pair<const std::string*, TGroup>>& members, size_t depth,
                  std::vector<TRow>& rows) const {
  const TStatsKey kind = keys_[depth];
  struct TBucket {
    TValue value;
    TGroup group;
    std::vector<std::pair<const std::string*, TGroup>> members;
  };
  std::vector<TBucket> buckets;
  std::unordered_map<std::string_view, size_t> index;
  for (const auto& member : members) {
    const TValue value = ValueAt(keys_, *member.first, depth);
    const auto [it, added] = index.emplace(value.encoded, buckets.size());
    if (added) buckets.push_back({value, {}, {}});
    buckets[it->second].group.Add(member.second);
    buckets[it->second].members.push_back(member);
  }
  std::sort(buckets.begin(), buckets.end(), [&](const TBucket& a, const TBucket& b) {
    if (a.group.count != b.group.count) return a.group.count > b.group.count;
    return Before(kind, a.value, b.value);
  });
  if (buckets.size() > top_) buckets.resize(top_);
  if (InTimeOrder(kind)) {
    std::sort(buckets.begin(), buckets.end(),
              [&](const TBucket& a, const TBucket& b) { return Before(kind, a.value, b.value); });
  }
  for (const TBucket& bucket : buckets) {
    rows.push_back({depth, bucket.members.front().first, bucket.group});
    if (depth + 1 < keys_.size()) Rows(bucket.members, depth + 1, rows);
  }
}

void TStats::Write(DumpFormat format, const TPrint& print) const {
  static const std::string kNoKey;
  std::vector<TRow> rows;
  if (keys_.empty()) {
    const auto it = groups_.find(kNoKey);
    rows.push_back({0, &kNoKey, it == groups_.end() ? TGroup{} : it->second});
  } else {
    std::vector<std::pair<const std::string*, TGroup>> members;
    members.reserve(groups_.size());
    for (const auto& [key, group] : groups_) members.emplace_back(&key, group);
    Rows(members, 0, rows);
  }
  if (format == DumpFormat::Text) {
    WriteTable(rows, print);
  } else {
    WriteInnermost(rows, format, print);
  }
}

void TStats::WriteTable(const std::vector<TRow>& rows, const TPrint& print) const {
  // The keys share one column, each level indented under the one before.
  std::string keyHeader;
  for (const TStatsKey key : keys_)
    keyHeader += (keyHeader.empty() ? "" : " / ") + std::string(KeyName(key));
  std::vector<std::string> cells;
  size_t keyWidth = DisplayWidth(keyHeader), countWidth = 5;
  for (const TRow& row : rows) {
    std::string cell(2 * row.depth, ' ');
    if (!keys_.empty()) {
      const TStatsKey kind = keys_[row.depth];
      const TValue value = ValueAt(keys_, *row.key, row.depth);
      AppendVisible(cell,
                    kind == TStatsKey::User && value.text.empty() ? "N/A" : Plain(kind, value));
    }
    keyWidth = std::max(keyWidth, DisplayWidth(cell));
    countWidth = std::max(countWidth, std::to_string(row.group.count).size());
    cells.push_back(std::move(cell));
  }
  const auto line = [&](const std::string& key, const std::string& count, const std::string& first,
                        const std::string& last) {
    std::string text;
    if (!keys_.empty()) text = key + std::string(keyWidth - DisplayWidth(key), ' ') + "  ";
    text += std::string(countWidth - count.size(), ' ') + count + "  " + first;
    text += std::string(20 - std::min<size_t>(20, first.size()), ' ') + "  " + last + "\n";
    return text;
  };
  print(line(keyHeader, "count", "first", "last"));
  for (size_t i = 0; i < rows.size(); ++i) {
    const TGroup& g = rows[i].group;
    print(line(cells[i], std::to_string(g.count), Time(g.count, g.first, DumpFormat::Text),
               Time(g.count, g.last, DumpFormat::Text)));
  }
}

// Machine-read forms list the innermost groups, each with the values of all its keys.
void TStats::WriteInnermost(const std::vector<TRow>& rows, DumpFormat format,
                            const TPrint& print) const {
  if (format == DumpFormat::Csv) {
    std::string header;
    for (const TStatsKey key : keys_) header += std::string(KeyName(key)) + ",";
    print(header + "count,first,last\n");
  }
  const size_t leafDepth = keys_.empty() ? 0 : keys_.size() - 1;
  for (const TRow& row : rows) {
    if (row.depth != leafDepth) continue;
    const TGroup& g = row.group;
    std::string text;
    size_t at = 0;
    for (const TStatsKey key : keys_) {
      const TValue value = Take(key, *row.key, at);
      if (format == DumpFormat::Jsonl) {
        text +=
            (text.empty() ? "{\"" : ", \"") + std::string(KeyName(key)) + "\": " + Json(key, value);
      } else {
        text += CsvField(Plain(key, value)) + ",";
      }
    }
    if (format == DumpFormat::Jsonl) {
      text += (text.empty() ? "{" : ", ") + std::string("\"count\": ") + std::to_string(g.count) +
              ", \"first\": " + Time(g.count, g.first, format) +
              ", \"last\": " + Time(g.count, g.last, format) + "}";
    } else {
      text += std::to_string(g.count) + "," + Time(g.count, g.first, format) + "," +
              Time(g.count, g.last, format);
    }
    print(text + "\n");
  }
}

}  // namespace corvane::cli
