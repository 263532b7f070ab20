#include "LogRegistry.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include "EvtFile.h"
#include "Win32Error.h"

namespace corvane::evtsvc {
namespace {

struct TStandardLog {
  const wchar_t* name;
  const wchar_t* file;
};
constexpr TStandardLog kStandardLogs[] = {
    {L"Application", L"AppEvent.Evt"},
    {L"System", L"SysEvent.Evt"},
    {L"Security", L"SecEvent.Evt"},
};

bool SameName(const std::wstring& a, const std::wstring& b) {
  return a.size() == b.size() &&
         CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// A name that can be one key below the logs key (or below a log).
bool IsKeyName(const std::wstring& name) {
  return !name.empty() && name.find(L'\\') == std::wstring::npos;
}

std::wstring DefaultFileValue(const std::wstring& log) {
  std::wstring file = log + L".evt";
  for (const TStandardLog& standard : kStandardLogs) {
    if (SameName(log, standard.name)) file = standard.file;
  }
  return L"%SystemRoot%\\system32\\config\\" + file;
}

std::optional<std::wstring> QueryPath(HKEY key, const wchar_t* name) {
  DWORD type = 0;
  DWORD size = 0;
  LSTATUS status = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
  if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
  if (status != ERROR_SUCCESS) ThrowWin32(static_cast<DWORD>(status));
  if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
  std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
  status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
  if (status != ERROR_SUCCESS) ThrowWin32(static_cast<DWORD>(status));
  std::wstring value(buffer.data());
  if (value.empty()) return std::nullopt;
  return value;
}

std::optional<uint32_t> QueryDword(HKEY key, const wchar_t* name) {
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof(value);
  const LSTATUS status =
      RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value)) return std::nullopt;
  return value;
}

bool HasValue(HKEY key, const wchar_t* name) {
  return RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void SetValue(HKEY key, const wchar_t* name, DWORD type, const void* data, size_t size) {
  const LSTATUS status =
      RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
  if (status != ERROR_SUCCESS) ThrowWin32(static_cast<DWORD>(status));
}

// The standard logs exist on every machine: their keys and missing values are written the
// first time this process asks for a log there. Where the registry refuses, the defaults still
// apply, since reading falls back to them.
void EnsureStandardLogs(const TMachine& machine) {
  static std::mutex mutex;
  static auto* done = new std::set<const TMachine*>;
  std::lock_guard lock(mutex);
  if (!done->insert(&machine).second) return;
  for (const TStandardLog& standard : kStandardLogs) {
    try {
      const UniqueKey key = machine.OpenKey(std::wstring(kLogsKey) + L"\\" + standard.name,
                                            KEY_QUERY_VALUE | KEY_SET_VALUE, true);
      if (!HasValue(key.get(), L"File")) {
        const std::wstring file = DefaultFileValue(standard.name);
        SetValue(key.get(), L"File", REG_EXPAND_SZ, file.c_str(), (file.size() + 1) * sizeof(wchar_t));
      }
      if (!HasValue(key.get(), L"MaxSize")) {
        const DWORD size = kDefaultMaxSize;
        SetValue(key.get(), L"MaxSize", REG_DWORD, &size, sizeof(size));
      }
      if (!HasValue(key.get(), L"Retention")) {
        const DWORD retention = kDefaultRetention;
        SetValue(key.get(), L"Retention", REG_DWORD, &retention, sizeof(retention));
      }
    } catch (const EOleSysError&) {
    }
  }
}

UniqueKey OpenLogKey(const TMachine& machine, const std::wstring& log) {
  if (!IsKeyName(log)) return {};
  UniqueKey key = machine.OpenKey(std::wstring(kLogsKey) + L"\\" + log, KEY_READ, false);
  // A service keeps its own settings in "Parameters" beside the logs: a key that names no log
  // file there is no log, and gets none.
  if (key && SameName(log, L"Parameters") && !HasValue(key.get(), L"File")) return {};
  return key;
}

LogConfig ConfigOf(const TMachine& machine, const std::wstring& log) {
  LogConfig config;
  config.name = log;
  std::optional<std::wstring> file;
  if (const UniqueKey key = OpenLogKey(machine, log)) {
    file = QueryPath(key.get(), L"File");
    // A log needs room for at least one growth step of its file.
    config.maxSize = std::max<uint32_t>(QueryDword(key.get(), L"MaxSize").value_or(kDefaultMaxSize),
                                        evt::kSizeStep);
    config.retention = QueryDword(key.get(), L"Retention").value_or(kDefaultRetention);
  }
  config.filePath = machine.ExpandPath(file.value_or(DefaultFileValue(log)));
  return config;
}

std::optional<std::wstring> LogHoldingSource(const TMachine& machine, const std::wstring& source) {
  if (!IsKeyName(source)) return std::nullopt;
  const UniqueKey logs = machine.OpenKey(kLogsKey, KEY_READ, false);
  if (!logs) return std::nullopt;
  std::vector<wchar_t> name(256);
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(name.size());
    const LSTATUS status =
        RegEnumKeyExW(logs.get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) return std::nullopt;
    if (status == ERROR_MORE_DATA) {
      name.resize(name.size() * 2);
      --index;
      continue;
    }
    if (status != ERROR_SUCCESS) ThrowWin32(static_cast<DWORD>(status));
    const std::wstring log(name.data(), length);
    UniqueKey sourceKey;
    if (RegOpenKeyExW(logs.get(), (log + L"\\" + source).c_str(), 0, KEY_READ, sourceKey.put()) ==
        ERROR_SUCCESS) {
      return log;
    }
  }
}

}  // namespace

LogConfig LogForOpen(const TMachine& machine, const std::wstring& name) {
  EnsureStandardLogs(machine);
  if (OpenLogKey(machine, name)) return ConfigOf(machine, name);
  if (auto log = LogHoldingSource(machine, name)) return ConfigOf(machine, *log);
  return ConfigOf(machine, L"Application");
}

LogConfig LogForSource(const TMachine& machine, const std::wstring& source) {
  EnsureStandardLogs(machine);
  if (auto log = LogHoldingSource(machine, source)) return ConfigOf(machine, *log);
  if (OpenLogKey(machine, source)) return ConfigOf(machine, source);
  return ConfigOf(machine, L"Application");
}

bool IsSecurityLog(const std::wstring& logName) { return SameName(logName, L"Security"); }

}  // namespace corvane::evtsvc
