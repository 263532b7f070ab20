// Reads every record of a log file through the bound ReadEventLogA with 16 KiB buffers, and
// reports the record rate and the number of calls. Bound like the control:
// CORVANE_SYSTEM_LIBRARY names the service. With a limit, it stops after that many calls (0:
// it only opens and closes the log), so that what a read costs beyond the rest can be told.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "framework/OleSysError.h"
#include "system/ErrorText.h"
#include "system/NT_vs_95.h"
#include "system/SystemTables.h"

int main(int argc, char** argv) {
  using namespace corvane;
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: read_bench FILE.evt [MAXIMUM-CALLS]\n");
    return 2;
  }
  const uint64_t limit = argc == 3 ? std::strtoull(argv[2], nullptr, 10) : UINT64_MAX;
  try {
    BindSystemTables();
    const auto start = std::chrono::steady_clock::now();
    HANDLE log = EventLogApi.OpenBackupEventLogA(nullptr, argv[1]);
    if (!log) RaiseLastSystemError();
    std::vector<BYTE> buffer(16384);
    uint64_t records = 0, bytes = 0, calls = 0;
    while (calls < limit) {
      ++calls;
      DWORD read = 0, needed = 0;
      if (!EventLogApi.ReadEventLogA(log, EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ, 0,
                                     buffer.data(), static_cast<DWORD>(buffer.size()), &read,
                                     &needed)) {
        const DWORD error = GetLastError();
        if (error == ERROR_HANDLE_EOF) break;
        if (error == ERROR_INSUFFICIENT_BUFFER) {
          buffer.resize(needed);
          continue;
        }
        RaiseLastSystemError();
      }
      for (DWORD offset = 0; offset < read;) {
        const auto* record = reinterpret_cast<const EVENTLOGRECORD*>(buffer.data() + offset);
        if (record->Length == 0) break;
        ++records;
        offset += record->Length;
      }
      bytes += read;
    }
    EventLogApi.CloseEventLog(log);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%llu records, %llu bytes, %llu calls in %.3f s: %.0f records/s\n",
                static_cast<unsigned long long>(records), static_cast<unsigned long long>(bytes),
                static_cast<unsigned long long>(calls), seconds, records / seconds);
    return 0;
  } catch (const EOleSysError& e) {
    std::fprintf(stderr, "read_bench: %s\n", e.Message().c_str());
    return 1;
  }
}
