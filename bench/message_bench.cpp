// Formats the message texts of a log's records through the component's Items, which checks at
// every call that the registry and the module files are as they were, and reports the rate.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "core/EventLog.h"
#include "framework/OleSysError.h"
#include "system/SystemTables.h"

int main(int argc, char** argv) {
  using namespace corvane;
  if (argc != 3) {
    std::fprintf(stderr, "usage: message_bench LOG COUNT\n");
    return 2;
  }
  try {
    BindSystemTables();
    TVEVivudAre log(nullptr);
    log.SetSourceName(argv[1]);
    log.SetActive(true);
    const int count = std::min(log.Count(), std::atoi(argv[2]));
    size_t characters = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) characters += log.Items(i).size();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("Items: %d messages (%zu characters) in %.3f s: %.0f messages/s\n", count,
                characters, seconds, count / seconds);
    return 0;
  } catch (const EOleSysError& e) {
    std::fprintf(stderr, "message_bench: %s\n", e.Message().c_str());
    return 1;
  }
}
