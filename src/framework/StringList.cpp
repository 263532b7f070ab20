#include "framework/StringList.h"

#include <algorithm>
#include <iterator>

#include "framework/AsciiText.h"
#include "framework/ClassError.h"
#include "framework/PropertyInfo.h"

namespace corvane {

TStringList::TStringList(std::initializer_list<std::string> strings) : items_(strings) {}

const TClassInfo& TStringList::StaticClassInfo() {
  static const TClassInfo info("TStringList", &TPersistent::StaticClassInfo(), {});
  return info;
}

const TClassInfo& TStringList::ClassInfo() const { return StaticClassInfo(); }

void TStringList::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) RaiseListIndexError(index);
}

const std::string& TStringList::Get(int index) const {
  CheckIndex(index);
  return items_[static_cast<size_t>(index)];
}

void TStringList::Put(int index, const std::string& value) {
  if (sorted_) RaiseClassError("Operation not allowed on sorted string list");
  CheckIndex(index);
  items_[static_cast<size_t>(index)] = value;
}

int TStringList::Add(const std::string& value) { return Add(std::string(value)); }

int TStringList::Add(std::string&& value) {
  if (!sorted_) {
    items_.push_back(std::move(value));
    return Count() - 1;
  }
  int index = 0;
  if (Find(value, index)) {
    if (duplicates_ == TDuplicates::Ignore) return index;
    if (duplicates_ == TDuplicates::Error) RaiseClassError("String list does not allow duplicates");
  }
  items_.insert(items_.begin() + index, std::move(value));
  return index;
}

void TStringList::Insert(int index, const std::string& value) {
  if (sorted_) RaiseClassError("Operation not allowed on sorted string list");
  if (index < 0 || index > Count()) RaiseListIndexError(index);
  items_.insert(items_.begin() + index, value);
}

void TStringList::Delete(int index) {
  CheckIndex(index);
  items_.erase(items_.begin() + index);
}

void TStringList::SetCapacity(int capacity) {
  if (capacity < Count()) {
    RaiseClassError("List capacity out of bounds (" + std::to_string(capacity) + ")");
  }
  if (static_cast<size_t>(capacity) == items_.capacity()) return;
  // reserve never shrinks: move the entries into a vector of exactly the asked size.
  std::vector<std::string> resized;
  resized.reserve(static_cast<size_t>(capacity));
  std::move(items_.begin(), items_.end(), std::back_inserter(resized));
  items_.swap(resized);
}

void TStringList::AddStrings(const TStringList& strings) {
  if (&strings == this) {
    // Appending a list to itself: copy first, the source grows while it is read.
    const std::vector<std::string> copy = items_;
    for (const std::string& s : copy) Add(s);
    return;
  }
  for (const std::string& s : strings.items_) Add(s);
}

int TStringList::CompareStrings(std::string_view a, std::string_view b) const {
  if (!caseSensitive_) return CompareAsciiIgnoringCase(a, b);
  const int order = a.compare(b);  // bytes compare unsigned, as the folded ones do
  return (order > 0) - (order < 0);
}

int TStringList::IndexOf(std::string_view value) const {
  if (sorted_) {
    int index = 0;
    return Find(value, index) ? index : -1;
  }
  for (int i = 0; i < Count(); ++i) {
    if (CompareStrings(items_[static_cast<size_t>(i)], value) == 0) return i;
  }
  return -1;
}

bool TStringList::Find(std::string_view value, int& index) const {
  const auto compareAt = [&](int i) { return CompareStrings(items_[static_cast<size_t>(i)], value); };
  return BisectSorted(Count(), duplicates_, compareAt, index);
}

void TStringList::Sort() {
  std::stable_sort(items_.begin(), items_.end(), [this](const std::string& a, const std::string& b) {
    return CompareStrings(a, b) < 0;
  });
}

void TStringList::SetSorted(bool sorted) {
  if (sorted && !sorted_) Sort();
  sorted_ = sorted;
}

void TStringList::SetCaseSensitive(bool caseSensitive) {
  caseSensitive_ = caseSensitive;
  if (sorted_) Sort();
}

std::string TStringList::Text() const {
  std::string text;
  for (const std::string& s : items_) {
    text += s;
    text += "\r\n";
  }
  return text;
}

void TStringList::SetText(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  Clear();
  for (const std::string& line : lines) Add(line);
}

void TStringList::Assign(const TPersistent& source) {
  const auto* list = dynamic_cast<const TStringList*>(&source);
  if (!list) {
    TPersistent::Assign(source);
    return;
  }
  if (list == this) return;
  Clear();
  AddStrings(*list);
}

}  // namespace corvane
