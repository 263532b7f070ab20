#include "RemoteRegistry.h"

#include <cstring>
#include <map>
#include <mutex>

#include "SimulatedNetwork.h"
#include "framework/AnsiText.h"
#include "TaggedHandles.h"
#include "Win32Error.h"
#include "evtsvc/network/NameText.h"
#include "evtsvc/network/NetworkErrors.h"

namespace corvane::network {
namespace {

// Key handles of this module carry this tag (see TaggedHandles.h).
constexpr uintptr_t kTag = Tag(0x5EED);

// When the simulated keys were last written, as RegEnumKeyEx reports it: the same for every
// key, so that answers never depend on the files' dates (2026-01-05 08:00:00 UTC).
constexpr uint64_t kLastWrite = 134120736000000000ull;

struct OpenKey {
  THostRef host;
  const RegKey* key;
};

class TKeyTable {
 public:
  static TKeyTable& Get() {
    static auto* table = new TKeyTable;
    return *table;
  }

  HKEY Add(OpenKey key) {
    std::lock_guard lock(mutex_);
    const uintptr_t value = NextTaggedValue(kTag, serial_, keys_);
    keys_.emplace(value, std::move(key));
    return reinterpret_cast<HKEY>(value);
  }
  std::optional<OpenKey> Find(HKEY key) {
    std::lock_guard lock(mutex_);
    const auto found = keys_.find(reinterpret_cast<uintptr_t>(key));
    if (found == keys_.end()) return std::nullopt;
    return found->second;
  }
  bool Remove(HKEY key) {
    std::lock_guard lock(mutex_);
    return keys_.erase(reinterpret_cast<uintptr_t>(key)) == 1;
  }

 private:
  std::mutex mutex_;
  uintptr_t serial_ = 0;
  std::map<uintptr_t, OpenKey> keys_;
};

// A text type as the A functions return it: converted to the ANSI code page, byte for byte up
// to the data's end (terminators included).
std::vector<uint8_t> AnsiData(const TRegValue& value) {
  if (value.type != kRegSz && value.type != kRegExpandSz && value.type != kRegMultiSz) return value.data;
  const std::u16string text = FromUtf16Le(value.data.data(), value.data.size());
  const std::string narrow = WideToAnsiLossy(text);
  return std::vector<uint8_t>(narrow.begin(), narrow.end());
}

}  // namespace

bool IsRemoteKey(HKEY key) noexcept { return HasTag(reinterpret_cast<uintptr_t>(key), kTag); }

std::optional<LSTATUS> RemoteConnectRegistry(LPCSTR machine, HKEY root, PHKEY result) noexcept {
  return evtsvc::ReturningError<LSTATUS>([&]() -> std::optional<LSTATUS> {
    const Target target = Resolve(machine);
    if (target.reach != TReach::Simulated) return std::nullopt;
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    // A simulated machine has only its HKEY_LOCAL_MACHINE.
    if (root != HKEY_LOCAL_MACHINE) return ERROR_INVALID_HANDLE;
    const RegKey& registry = target.host.host->Registry();
    *result = TKeyTable::Get().Add({target.host, &registry});
    return ERROR_SUCCESS;
  });
}

std::optional<LSTATUS> RemoteOpenKey(HKEY key, LPCSTR subKey, DWORD, REGSAM, PHKEY result) noexcept {
  if (!IsRemoteKey(key)) return std::nullopt;
  return evtsvc::ReturningError<LSTATUS>([&]() -> LSTATUS {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    const auto open = TKeyTable::Get().Find(key);
    if (!open) return ERROR_INVALID_HANDLE;
    const TKeyLookup found = FindKey(*open->key, subKey ? AnsiToU16(subKey) : std::u16string());
    if (found.status == TPathStatus::BadPath) return ERROR_BAD_PATHNAME;
    if (found.status == TPathStatus::NotFound) return ERROR_FILE_NOT_FOUND;
    *result = TKeyTable::Get().Add({open->host, found.key});
    return ERROR_SUCCESS;
  });
}

std::optional<LSTATUS> RemoteEnumKey(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPSTR className,
                                     LPDWORD classLength, PFILETIME lastWrite) noexcept {
  if (!IsRemoteKey(key)) return std::nullopt;
  return evtsvc::ReturningError<LSTATUS>([&]() -> LSTATUS {
    const auto open = TKeyTable::Get().Find(key);
    if (!open) return ERROR_INVALID_HANDLE;
    if (!name || !nameLength) return ERROR_INVALID_PARAMETER;
    const auto& subkeys = open->key->Subkeys();
    if (index >= subkeys.size()) return ERROR_NO_MORE_ITEMS;
    const std::string text = WideToAnsiLossy(subkeys[index]->Name());
    // The length given and returned counts characters without the terminator on return, with
    // it on entry.
    if (*nameLength <= text.size()) return ERROR_MORE_DATA;
    std::memcpy(name, text.c_str(), text.size() + 1);
    *nameLength = static_cast<DWORD>(text.size());
    if (className && classLength) {
      if (*classLength < 1) return ERROR_MORE_DATA;
      className[0] = '\0';
    }
    if (classLength) *classLength = 0;
    if (lastWrite) {
      lastWrite->dwLowDateTime = static_cast<DWORD>(kLastWrite);
      lastWrite->dwHighDateTime = static_cast<DWORD>(kLastWrite >> 32);
    }
    return ERROR_SUCCESS;
  });
}

std::optional<LSTATUS> RemoteQueryValue(HKEY key, LPCSTR name, LPDWORD type, LPBYTE data, LPDWORD size) noexcept {
  if (!IsRemoteKey(key)) return std::nullopt;
  return evtsvc::ReturningError<LSTATUS>([&]() -> LSTATUS {
    const auto open = TKeyTable::Get().Find(key);
    if (!open) return ERROR_INVALID_HANDLE;
    if (data && !size) return ERROR_INVALID_PARAMETER;
    const TRegValue* value = open->key->FindValue(name ? AnsiToU16(name) : std::u16string());
    if (!value) return ERROR_FILE_NOT_FOUND;
    const std::vector<uint8_t> bytes = AnsiData(*value);
    if (type) *type = value->type;
    if (!size) return ERROR_SUCCESS;
    const DWORD room = *size;
    *size = static_cast<DWORD>(bytes.size());
    if (!data) return ERROR_SUCCESS;
    if (room < bytes.size()) return ERROR_MORE_DATA;
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
    return ERROR_SUCCESS;
  });
}

std::optional<LSTATUS> RemoteCloseKey(HKEY key) noexcept {
  if (!IsRemoteKey(key)) return std::nullopt;
  return TKeyTable::Get().Remove(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

}  // namespace corvane::network
