// One late-bound system function: its export name, the library its table was loaded from, and
// the address found there (or none). Calling an empty entry raises instead of jumping to null.
#pragma once

#include <string>
#include <utility>

namespace corvane {

class FunctionTable;

class TableEntryBase {
 public:
  TableEntryBase(const char* name, const FunctionTable* table) : name_(name), table_(table) {}
  TableEntryBase(const TableEntryBase&) = delete;
  TableEntryBase& operator=(const TableEntryBase&) = delete;

  const char* Name() const { return name_; }
  void* Address() const { return address_; }
  void Bind(void* address) { address_ = address; }
  explicit operator bool() const { return address_ != nullptr; }

 protected:
  // Raises the system's "procedure not found" error naming this entry and its library.
  [[noreturn]] void RaiseMissing() const;

  void* address_ = nullptr;

 private:
  const char* name_;
  const FunctionTable* table_;
};

template <class Fn>
class TableEntry : public TableEntryBase {
 public:
  using TableEntryBase::TableEntryBase;

  template <class... Args>
  auto operator()(Args&&... args) const {
    if (!address_) RaiseMissing();
    return reinterpret_cast<Fn>(address_)(std::forward<Args>(args)...);
  }

  Fn Get() const { return reinterpret_cast<Fn>(address_); }
  void Set(Fn fn) { address_ = reinterpret_cast<void*>(fn); }
};

// A table remembers the library it was filled from; its entries are declared by the tables.
class FunctionTable {
 public:
  FunctionTable() = default;
  FunctionTable(const FunctionTable&) = delete;
  FunctionTable& operator=(const FunctionTable&) = delete;

  std::string Library;
};

// Replaces an entry for the life of a scope and puts the old address back afterwards; tests use
// it to stand in for the system at the table boundary.
template <class Fn>
class ScopedEntry {
 public:
  ScopedEntry(TableEntry<Fn>& entry, Fn replacement) : entry_(entry), saved_(entry.Address()) {
    entry_.Set(replacement);
  }
  ~ScopedEntry() { entry_.Bind(saved_); }
  ScopedEntry(const ScopedEntry&) = delete;
  ScopedEntry& operator=(const ScopedEntry&) = delete;

 private:
  TableEntry<Fn>& entry_;
  void* saved_;
};

}  // namespace corvane
