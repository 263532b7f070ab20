// A list of 8-bit strings, unsorted by default, optionally kept sorted.
//
// Comparison (sorting, IndexOf, Find, duplicates): unless CaseSensitive is set, the ASCII letters
// A-Z and a-z compare as equal and every byte is then compared as an unsigned value; bytes above
// 127 (the code page's own letters) are compared by value, without locale rules, so the order is
// the same on every machine. With CaseSensitive, plain unsigned byte order.
//
// Indexes out of 0..Count-1 raise "List index out of bounds (n)". Changing entries by position
// (Insert, Put) on a sorted list raises, since the order would break.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Duplicates.h"
#include "framework/Persistent.h"

namespace corvane {

class TStringList : public TPersistent {
 public:
  TStringList() = default;
  TStringList(std::initializer_list<std::string> strings);
  ~TStringList() override = default;
  TStringList(const TStringList&) = delete;
  TStringList& operator=(const TStringList&) = delete;

  const TClassInfo& ClassInfo() const override;
  static const TClassInfo& StaticClassInfo();

  int Count() const { return static_cast<int>(items_.size()); }
  const std::string& Get(int index) const;
  const std::string& operator[](int index) const { return Get(index); }
  void Put(int index, const std::string& value);

  // Appends, or on a sorted list inserts at the sorted position (honouring Duplicates).
  // Returns the position of the entry; with Ignore, the position of the existing equal entry.
  int Add(const std::string& value);
  int Add(std::string&& value);
  void Insert(int index, const std::string& value);
  void Delete(int index);
  void Clear() { items_.clear(); }
  // Slots held for entries. SetCapacity holds exactly `capacity` and lets the rest go (a list
  // filled once and then kept, many of them, should not carry spare slots); below Count it raises.
  int Capacity() const { return static_cast<int>(items_.capacity()); }
  void SetCapacity(int capacity);
  void AddStrings(const TStringList& strings);

  // Position of the first entry equal to `value` by the list's comparison, or -1.
  int IndexOf(std::string_view value) const;
  bool Contains(std::string_view value) const { return IndexOf(value) >= 0; }
  // Bisection on a sorted list: whether an equal entry exists and, in `index`, its position or
  // where `value` would be inserted. With Duplicates at Accept the first of several equals.
  bool Find(std::string_view value, int& index) const;

  // Stable: equal entries keep their relative order.
  void Sort();
  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates duplicates) { duplicates_ = duplicates; }
  bool CaseSensitive() const { return caseSensitive_; }
  // Re-sorts a sorted list under the new rule.
  void SetCaseSensitive(bool caseSensitive);

  // Negative, 0 or positive as `a` sorts before, equal to or after `b` by the list's rule.
  int CompareStrings(std::string_view a, std::string_view b) const;

  // The entries joined, each followed by CR LF.
  std::string Text() const;
  // Replaces the entries by the lines of `text`: a line ends at CR LF, a lone CR or a lone LF;
  // a last line without a break counts, a final break adds no empty line.
  void SetText(std::string_view text);

  // Copies the strings of another TStringList; this list keeps its own Sorted, Duplicates and
  // CaseSensitive settings, so a sorted target files them in its own order.
  void Assign(const TPersistent& source) override;

  std::vector<std::string>::const_iterator begin() const { return items_.begin(); }
  std::vector<std::string>::const_iterator end() const { return items_.end(); }

 private:
  void CheckIndex(int index) const;

  std::vector<std::string> items_;
  bool sorted_ = false;
  bool caseSensitive_ = false;
  TDuplicates duplicates_ = TDuplicates::Ignore;
};

}  // namespace corvane
