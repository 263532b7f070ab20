// Writes events to a log from a process of its own, through the system tables as the control
// binds them (CORVANE_SYSTEM_LIBRARY is inherited from the test). Usage: writer SOURCE COUNT
// [clear], where clear empties the log named SOURCE first. Exit code 0 when every event was written.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "system/NT_vs_95.h"
#include "system/SystemTables.h"

int main(int argc, char** argv) {
  if (argc != 3 && !(argc == 4 && std::string(argv[3]) == "clear")) return 2;
  corvane::BindSystemTables();
  if (argc == 4) {
    const HANDLE log = corvane::EventLogApi.OpenEventLogA(nullptr, argv[1]);
    if (log == nullptr) return 5;
    const BOOL cleared = corvane::EventLogApi.ClearEventLogA(log, nullptr);
    corvane::EventLogApi.CloseEventLog(log);
    if (!cleared) return 6;
  }
  if (!corvane::EventLogApi.RegisterEventSourceA) return 3;
  const HANDLE source = corvane::EventLogApi.RegisterEventSourceA(nullptr, argv[1]);
  if (source == nullptr) return 4;
  const int count = std::atoi(argv[2]);
  int written = 0;
  for (int i = 0; i < count; ++i) {
    const std::string text = "from another process " + std::to_string(i);
    const char* strings[] = {text.c_str()};
    if (corvane::EventLogApi.ReportEventA(source, EVENTLOG_WARNING_TYPE, 0, 7, nullptr, 1, 0,
                                          strings, nullptr)) {
      ++written;
    }
  }
  corvane::EventLogApi.DeregisterEventSource(source);
  return written == count ? 0 : 1;
}
