// Where the logs of a machine are configured: one key per log under
// HKLM\SYSTEM\CurrentControlSet\Services\EventLog, holding the log file ("File"), its maximum
// size ("MaxSize") and retention ("Retention"); the log's event sources are its subkeys.
#pragma once

#include <cstdint>
#include <string>

#include "Machine.h"

namespace corvane::evtsvc {

constexpr wchar_t kLogsKey[] = L"SYSTEM\\CurrentControlSet\\Services\\EventLog";
constexpr uint32_t kDefaultMaxSize = 512 * 1024;
// Overwrite as needed: a full log never refuses a new event.
constexpr uint32_t kDefaultRetention = 0;

struct LogConfig {
  std::wstring name;
  std::wstring filePath;  // expanded for the machine
  uint32_t maxSize = kDefaultMaxSize;
  uint32_t retention = kDefaultRetention;
};

// The log that opening `name` reaches: the log of that name, else the log that holds a source
// of that name, else Application.
LogConfig LogForOpen(const TMachine& machine, const std::wstring& name);
// The log that source `source` writes to: the log that holds the source, else the log of that
// name (every log is a source of itself), else Application.
LogConfig LogForSource(const TMachine& machine, const std::wstring& source);

bool IsSecurityLog(const std::wstring& logName);

}  // namespace corvane::evtsvc
