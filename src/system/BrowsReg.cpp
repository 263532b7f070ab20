#include "system/BrowsReg.h"

#include <cstring>

#include "system/ErrorText.h"

namespace corvane {

namespace {

// The longest key name plus room to spare, as the enumeration is given it.
constexpr DWORD kNameBufferSize = 0x3FFF;
constexpr DWORD kFirstValueSize = 255;

// HKEY_CLASSES_ROOT up to HKEY_PERFORMANCE_NLSTEXT: handles that no one opened and no one closes.
bool IsPredefinedKey(HKEY key) {
  const auto value = reinterpret_cast<ULONG_PTR>(key);
  const auto first = reinterpret_cast<ULONG_PTR>(HKEY_CLASSES_ROOT);
  return value >= first && value - first <= 0x60;
}

std::string ValueText(DWORD type, const std::vector<uint8_t>& data) {
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
      const auto* text = reinterpret_cast<const char*>(data.data());
      return std::string(text, strnlen(text, data.size()));
    }
    case REG_DWORD: {
      // A number stored with fewer than four bytes counts with the bytes it has.
      uint32_t value = 0;
      for (size_t i = 0; i < data.size() && i < 4; ++i) value |= uint32_t{data[i]} << (8 * i);
      return std::to_string(value);
    }
    default:
      return {};
  }
}

}  // namespace

void RaiseRegistryError(LONG code) { RaiseSystemError(SystemErrorText(code)); }

TBrowseRegistry::TBrowseRegistry() { SetRootKey(HKEY_LOCAL_MACHINE); }

// The members close the open key first, then a connected root.
TBrowseRegistry::~TBrowseRegistry() { CloseKey(); }

void TBrowseRegistry::CloseKey() {
  currentKey_.reset();
  currentPath_.clear();
}

void TBrowseRegistry::SetRootKey(HKEY key) {
  if (key == rootKey_) return;
  CloseKey();
  connectedRoot_.reset();
  connectedFrom_ = nullptr;
  rootKey_ = key;
}

LONG TBrowseRegistry::OpenKey(const std::string& path) {
  const bool absolute = !path.empty() && path.front() == '\\';
  const std::string subPath = absolute ? path.substr(1) : path;
  const bool fromCurrent = !absolute && currentKey_;
  HKEY base = fromCurrent ? currentKey_.get() : rootKey_;

  ::SetLastError(0);
  HKEY opened = nullptr;
  const LONG result = ServiceApi.RegOpenKeyExA(base, subPath.c_str(), 0, access_, &opened);
  if (result != ERROR_SUCCESS) return result;

  TRegKey key(opened);
  std::string newPath = fromCurrent ? currentPath_ + "\\" + subPath : subPath;
  currentKey_ = std::move(key);
  currentPath_ = std::move(newPath);
  return ERROR_SUCCESS;
}

void TBrowseRegistry::GetKeyNames(TStringList& list) {
  list.Clear();
  std::vector<char> name(kNameBufferSize);
  for (DWORD index = 0;; ++index) {
    DWORD length = kNameBufferSize;
    const LONG result = ServiceApi.RegEnumKeyExA(currentKey_.get(), index, name.data(), &length,
                                                 nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS) RaiseRegistryError(result);
    list.Add(std::string(name.data(), strnlen(name.data(), kNameBufferSize)));
  }
}

bool TBrowseRegistry::ConnectTo(const std::string& machineName) {
  // A connected root is a handle the registry cannot be asked to connect from; the predefined
  // key it came from can.
  const HKEY predefined = connectedRoot_ ? connectedFrom_ : rootKey_;
  HKEY connected = nullptr;
  const LONG result = ServiceApi.RegConnectRegistryA(machineName.c_str(), predefined, &connected);
  if (result != ERROR_SUCCESS) RaiseRegistryError(result);
  // The local machine may be answered with the predefined key itself, which is not ours.
  TRegKey owner(IsPredefinedKey(connected) ? nullptr : connected);
  // The open key belonged to the old root, even when the system answers with the same handle.
  CloseKey();
  SetRootKey(connected);
  connectedRoot_ = std::move(owner);
  connectedFrom_ = connectedRoot_ ? predefined : nullptr;
  return true;
}

LONG TBrowseRegistry::QueryValue(const std::string& name, std::vector<uint8_t>& data,
                                  DWORD& size, DWORD& type) {
  type = 0;
  if (size == 0) size = kFirstValueSize;
  data.assign(size, 0);
  LONG result = ServiceApi.RegQueryValueExA(currentKey_.get(), name.c_str(), nullptr, &type,
                                            data.data(), &size);
  if (result == ERROR_MORE_DATA) {
    data.assign(size, 0);
    result = ServiceApi.RegQueryValueExA(currentKey_.get(), name.c_str(), nullptr, &type,
                                         data.data(), &size);
  }
  if (result == ERROR_SUCCESS) data.resize(size);
  return result;
}

std::vector<uint8_t> TBrowseRegistry::ReadValue(const std::string& name, DWORD& size,
                                                DWORD& type) {
  std::vector<uint8_t> data;
  const LONG result = QueryValue(name, data, size, type);
  if (result != ERROR_SUCCESS) RaiseRegistryError(result);
  return data;
}

std::string TBrowseRegistry::ReadString(const std::string& name) {
  DWORD size = 0;
  DWORD type = 0;
  const std::vector<uint8_t> data = ReadValue(name, size, type);
  return ValueText(type, data);
}

std::optional<std::string> TBrowseRegistry::ReadOptionalString(const std::string& name) {
  DWORD size = 0;
  DWORD type = 0;
  std::vector<uint8_t> data;
  const LONG result = QueryValue(name, data, size, type);
  if (result == ERROR_FILE_NOT_FOUND) return std::nullopt;
  if (result != ERROR_SUCCESS) RaiseRegistryError(result);
  return ValueText(type, data);
}

}  // namespace corvane
