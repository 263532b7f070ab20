// The two failures a log file reports besides I/O errors. The service maps them to the system's
// error codes; nothing here knows those codes.
#pragma once

#include <stdexcept>

namespace corvane::evt {

// A file that is not a valid event log, or whose records contradict each other. The service
// turns it into the system's corrupt-log error (ERROR_EVENTLOG_FILE_CORRUPT, 1500).
class TCorruptLog : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The file is at its maximum size and the retention forbids overwriting the oldest record
// (ERROR_LOG_FILE_FULL, 1502).
class TLogFull : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace corvane::evt
