#include "framework/com/ClassRegistration.h"

#include <objbase.h>

#include <cwchar>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "framework/OleSysError.h"
#include "framework/WinHandle.h"
#include "framework/com/AnsiConversion.h"

namespace corvane {
namespace {

// The framework sits below the system tables: registration calls the registry functions directly.
using UniqueRegKey = TUniqueResource<HKEY, TNullTraits<HKEY, &RegCloseKey>>;

[[noreturn]] void RaiseRegistryError(LSTATUS status, const std::wstring& key) {
  throw EOleSysError(
      "Cannot write registry key " + WideToAnsiLossy(key) + " (error " + std::to_string(status) + ")",
      HRESULT_FROM_WIN32(status));
}

}  // namespace

std::wstring RegisteredModulePath(const std::wstring& fullPath) {
  if (fullPath.find(L' ') == std::wstring::npos) return fullPath;
  const DWORD needed = GetShortPathNameW(fullPath.c_str(), nullptr, 0);
  if (needed == 0) return fullPath;
  std::wstring shortPath(needed, L'\0');
  const DWORD written = GetShortPathNameW(fullPath.c_str(), shortPath.data(), needed);
  if (written == 0 || written >= needed) return fullPath;
  shortPath.resize(written);
  return shortPath;
}

std::wstring GuidString(const GUID& guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

std::vector<RegistryEntry> RegistryEntries(const ClassRegistration& registration,
                                           const std::wstring& modulePath) {
  const std::wstring clsid = GuidString(registration.clsid);
  const std::wstring classKey = L"CLSID\\" + clsid;
  const std::wstring path = RegisteredModulePath(modulePath);
  std::vector<RegistryEntry> entries{
      {classKey, L"", registration.description},
      {classKey + L"\\InprocServer32", L"", path},
  };
  if (!registration.threadingModel.empty()) {
    entries.push_back(
        {classKey + L"\\InprocServer32", L"ThreadingModel", registration.threadingModel});
  }
  if (!registration.progId.empty()) {
    entries.push_back({classKey + L"\\ProgID", L"", registration.progId});
    entries.push_back({registration.progId, L"", registration.description});
    entries.push_back({registration.progId + L"\\Clsid", L"", clsid});
  }
  if (const auto& control = registration.control) {
    entries.push_back(
        {classKey + L"\\Version", L"",
         std::to_wstring(control->majorVersion) + L"." + std::to_wstring(control->minorVersion)});
    entries.push_back({classKey + L"\\TypeLib", L"", GuidString(control->libid)});
    entries.push_back({classKey + L"\\MiscStatus", L"", L"0"});
    entries.push_back({classKey + L"\\MiscStatus\\1", L"", std::to_wstring(control->miscStatus)});
    entries.push_back({classKey + L"\\ToolboxBitmap32", L"",
                       path + L"," + std::to_wstring(control->toolboxBitmap)});
    entries.push_back({classKey + L"\\Control", L"", std::nullopt});
    entries.push_back({classKey + L"\\Verb", L"", std::nullopt});
    for (size_t verb = 0; verb < control->verbs.size(); ++verb) {
      entries.push_back(
          {classKey + L"\\Verb\\" + std::to_wstring(verb), L"", control->verbs[verb]});
    }
  }
  return entries;
}

namespace {

// The registered server of `clsid` in the view `flags` names (0: the caller's own), if any.
std::optional<std::wstring> ServerPath(const CLSID& clsid, REGSAM flags) {
  const std::wstring key = L"CLSID\\" + GuidString(clsid) + L"\\InprocServer32";
  UniqueRegKey opened;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE | flags, opened.put()) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  DWORD size = 0;
  if (RegQueryValueExW(opened.get(), nullptr, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) {
    return std::wstring();
  }
  std::wstring path(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(path.size() * sizeof(wchar_t));
  if (RegQueryValueExW(opened.get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(path.data()),
                       &size) != ERROR_SUCCESS) {
    return std::wstring();
  }
  path.resize(wcsnlen(path.c_str(), path.size()));
  return path;
}

}  // namespace

bool RegisteredInOtherView(const CLSID& clsid, const std::wstring& modulePath) {
  REGSAM own = KEY_WOW64_64KEY;
  REGSAM other = KEY_WOW64_32KEY;
  if (sizeof(void*) == 4) {
    BOOL wow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64) return false;
    std::swap(own, other);
  }
  // A classes root redirected to a key of the caller's (RegOverridePredefKey) has no views, and
  // the system answers a request for a view from the real root: then no other view is in play.
  if (ServerPath(clsid, own) != ServerPath(clsid, 0)) return false;
  const std::optional<std::wstring> path = ServerPath(clsid, other);
  return path && CompareStringOrdinal(path->c_str(), -1, modulePath.c_str(), -1, TRUE) != CSTR_EQUAL;
}

bool SharedBetweenViews(const RegistryEntry& entry) {
  constexpr std::wstring_view kClassKeys = L"CLSID\\";
  constexpr int kLength = static_cast<int>(kClassKeys.size());
  return entry.key.size() < kClassKeys.size() ||
         CompareStringOrdinal(entry.key.c_str(), kLength, kClassKeys.data(), kLength, TRUE) != CSTR_EQUAL;
}

void WriteRegistryEntries(HKEY root, const std::vector<RegistryEntry>& entries) {
  for (const RegistryEntry& entry : entries) {
    UniqueRegKey key;
    LSTATUS status = RegCreateKeyExW(root, entry.key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_SET_VALUE, nullptr, key.put(), nullptr);
    if (status != ERROR_SUCCESS) RaiseRegistryError(status, entry.key);
    if (!entry.value) continue;
    const auto bytes = static_cast<DWORD>((entry.value->size() + 1) * sizeof(wchar_t));
    status = RegSetValueExW(key.get(), entry.name.empty() ? nullptr : entry.name.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(entry.value->c_str()), bytes);
    if (status != ERROR_SUCCESS) RaiseRegistryError(status, entry.key);
  }
}

void RemoveRegistryEntries(HKEY root, const std::vector<RegistryEntry>& entries) {
  for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
    // A key that carries several values appears once per value; deleting it once is enough.
    const auto next = std::next(entry);
    if (next != entries.rend() && next->key == entry->key) continue;
    const LSTATUS status = RegDeleteKeyW(root, entry->key.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
      RaiseRegistryError(status, entry->key);
  }
}

}  // namespace corvane
