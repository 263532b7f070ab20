#include "RegistryTree.h"

#include <algorithm>

#include "NameText.h"

namespace corvane::network {

std::vector<std::unique_ptr<RegKey>>::const_iterator RegKey::LowerBound(std::u16string_view name) const {
  return std::lower_bound(subkeys_.begin(), subkeys_.end(), name,
                          [](const std::unique_ptr<RegKey>& key, std::u16string_view wanted) {
                            return CompareNames(key->Name(), wanted) < 0;
                          });
}

const RegKey* RegKey::FindSubkey(std::u16string_view name) const {
  const auto at = LowerBound(name);
  return at != subkeys_.end() && SameName((*at)->Name(), name) ? at->get() : nullptr;
}

RegKey& RegKey::CreateSubkey(std::u16string_view name) {
  const auto at = LowerBound(name);
  if (at != subkeys_.end() && SameName((*at)->Name(), name)) return **at;
  return **subkeys_.insert(at, std::make_unique<RegKey>(std::u16string(name)));
}

bool RegKey::DeleteSubkey(std::u16string_view name) {
  const auto at = LowerBound(name);
  if (at == subkeys_.end() || !SameName((*at)->Name(), name)) return false;
  subkeys_.erase(at);
  return true;
}

const TRegValue* RegKey::FindValue(std::u16string_view name) const {
  for (const TRegValue& value : values_) {
    if (SameName(value.name, name)) return &value;
  }
  return nullptr;
}

void RegKey::SetValue(std::u16string_view name, uint32_t type, std::vector<uint8_t> data) {
  for (TRegValue& value : values_) {
    if (SameName(value.name, name)) {
      value.type = type;
      value.data = std::move(data);
      return;
    }
  }
  values_.push_back(TRegValue{std::u16string(name), type, std::move(data)});
}

bool RegKey::DeleteValue(std::u16string_view name) {
  const auto at = std::find_if(values_.begin(), values_.end(),
                               [&](const TRegValue& value) { return SameName(value.name, name); });
  if (at == values_.end()) return false;
  values_.erase(at);
  return true;
}

bool SplitKeyPath(std::u16string_view path, std::vector<std::u16string_view>& names) {
  names.clear();
  if (!path.empty() && path.back() == u'\\') path.remove_suffix(1);
  if (path.empty()) return true;
  for (;;) {
    const size_t slash = path.find(u'\\');
    const std::u16string_view name = path.substr(0, slash);
    if (name.empty() || name.size() > kMaxKeyNameLength) return false;
    names.push_back(name);
    if (slash == std::u16string_view::npos) return true;
    path.remove_prefix(slash + 1);
  }
}

TKeyLookup FindKey(const RegKey& from, std::u16string_view path) {
  std::vector<std::u16string_view> names;
  if (!SplitKeyPath(path, names)) return {TPathStatus::BadPath, nullptr};
  const RegKey* key = &from;
  for (std::u16string_view name : names) {
    key = key->FindSubkey(name);
    if (!key) return {TPathStatus::NotFound, nullptr};
  }
  return {TPathStatus::Found, key};
}

std::vector<uint8_t> TextValueData(std::u16string_view text) {
  const std::string bytes = ToUtf16LeBytes(text);
  std::vector<uint8_t> data(bytes.begin(), bytes.end());
  data.push_back(0);
  data.push_back(0);
  return data;
}

}  // namespace corvane::network
