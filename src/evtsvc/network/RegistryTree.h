// The registry of a simulated machine: its HKEY_LOCAL_MACHINE as a tree of keys and values.
// Names are compared ignoring letter case, as the system does. Subkeys enumerate in the order
// of their upper-case names (the system keeps a key's subkey list sorted that way, so an
// enumeration never depends on the order of creation); values enumerate in the order they were
// first set, as on the system.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::network {

// Value types, as the system numbers them.
constexpr uint32_t kRegNone = 0;
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;
constexpr uint32_t kRegMultiSz = 7;

// The system's limit on one key name.
constexpr size_t kMaxKeyNameLength = 255;

struct TRegValue {
  std::u16string name;  // empty for the key's default value
  uint32_t type = kRegNone;
  std::vector<uint8_t> data;  // as the system stores it: text types in UTF-16LE
};

class RegKey {
 public:
  explicit RegKey(std::u16string name) : name_(std::move(name)) {}
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  const std::u16string& Name() const { return name_; }

  const std::vector<std::unique_ptr<RegKey>>& Subkeys() const { return subkeys_; }
  const RegKey* FindSubkey(std::u16string_view name) const;
  RegKey* FindSubkey(std::u16string_view name) {
    return const_cast<RegKey*>(static_cast<const RegKey*>(this)->FindSubkey(name));
  }
  RegKey& CreateSubkey(std::u16string_view name);
  bool DeleteSubkey(std::u16string_view name);

  const std::vector<TRegValue>& Values() const { return values_; }
  const TRegValue* FindValue(std::u16string_view name) const;
  // A value set again keeps its place in the enumeration.
  void SetValue(std::u16string_view name, uint32_t type, std::vector<uint8_t> data);
  bool DeleteValue(std::u16string_view name);

 private:
  std::vector<std::unique_ptr<RegKey>>::const_iterator LowerBound(std::u16string_view name) const;

  std::u16string name_;
  std::vector<std::unique_ptr<RegKey>> subkeys_;
  std::vector<TRegValue> values_;
};

enum class TPathStatus { Found, NotFound, BadPath };

// A relative path below a key: names separated by backslashes. A trailing backslash is
// accepted, as the system accepts it; an empty name inside the path or a name longer than 255
// characters makes the path bad.
bool SplitKeyPath(std::u16string_view path, std::vector<std::u16string_view>& names);

struct TKeyLookup {
  TPathStatus status = TPathStatus::NotFound;
  const RegKey* key = nullptr;
};
TKeyLookup FindKey(const RegKey& from, std::u16string_view path);

// The text types as the registry functions' A forms would read them, for tests and tools.
std::vector<uint8_t> TextValueData(std::u16string_view text);

}  // namespace corvane::network
