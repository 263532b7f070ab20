// Reads every record of a log file through the event-log component's Objects, forwards from the
// oldest or backwards from the newest, so that the whole item cache is filled, and reports the
// time, the record rate and the process's peak memory. Bound like the control:
// CORVANE_SYSTEM_LIBRARY names the service.
//
// Usage: component_read_bench FILE.evt forwards|backwards
#include <windows.h>
// After windows.h:
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstring>

#include "core/EventLog.h"
#include "framework/OleSysError.h"
#include "system/SystemTables.h"

int main(int argc, char** argv) {
  using namespace corvane;
  if (argc != 3 || (std::strcmp(argv[2], "forwards") != 0 && std::strcmp(argv[2], "backwards") != 0)) {
    std::fprintf(stderr, "usage: component_read_bench FILE.evt forwards|backwards\n");
    return 2;
  }
  const bool forwards = std::strcmp(argv[2], "forwards") == 0;
  try {
    BindSystemTables();
    TVEVivudAre eventLog(nullptr);
    eventLog.SetBackupFileName(argv[1]);
    const auto start = std::chrono::steady_clock::now();
    eventLog.SetActive(true);
    const int count = eventLog.Count();
    uint64_t strings = 0;
    if (forwards) {
      for (int i = 0; i < count; ++i) strings += eventLog.Objects(i).StringCount();
    } else {
      for (int i = count - 1; i >= 0; --i) strings += eventLog.Objects(i).StringCount();
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
    std::printf("%s: %d records (%llu strings) in %.3f s, %.0f records/s, peak working set %.1f MB\n",
                argv[2], count, static_cast<unsigned long long>(strings), seconds,
                seconds > 0 ? count / seconds : 0.0, memory.PeakWorkingSetSize / 1048576.0);
    return 0;
  } catch (const EOleSysError& error) {
    std::fprintf(stderr, "%s\n", error.Message().c_str());
    return 1;
  }
}
