// Adds bytes one at a time to an event's data through its byte list, as a script does with
// DataBytes.Add, side by side with std::vector's push_back of the same bytes. When Add takes time
// in proportion to the count, both times grow alike with the count and their ratio stays flat;
// an Add that copies the whole buffer every time grows with the square of the count instead.
// Each time is the best of three runs.
//
// Usage: data_bytes_bench [COUNT...]   (default: 75000 600000 4800000)
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/EventItem.h"

namespace {

using Clock = std::chrono::steady_clock;

// Keeps the compiler from dropping work whose result nothing reads.
volatile uint32_t sink = 0;

template <class Fill>
double BestSeconds(Fill fill) {
  double best = 1e300;
  for (int run = 0; run < 3; ++run) {
    const auto start = Clock::now();
    sink = sink + fill();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<long> counts;
  for (int i = 1; i < argc; ++i) counts.push_back(std::strtol(argv[i], nullptr, 10));
  if (counts.empty()) counts = {75000, 600000, 4800000};

  double firstRatio = 0;
  for (long count : counts) {
    const double add = BestSeconds([count] {
      corvane::TEventItem item(nullptr);
      corvane::TByteList& bytes = item.DataBytes();
      for (long i = 0; i < count; ++i) bytes.Add(static_cast<uint8_t>(i));
      return static_cast<uint32_t>(bytes.Count()) + bytes.Item(static_cast<int32_t>(count / 2));
    });
    const double vector = BestSeconds([count] {
      std::vector<uint8_t> bytes;
      for (long i = 0; i < count; ++i) bytes.push_back(static_cast<uint8_t>(i));
      return static_cast<uint32_t>(bytes.size()) + bytes[static_cast<size_t>(count / 2)];
    });
    const double ratio = add / vector;
    if (firstRatio == 0) firstRatio = ratio;
    std::printf("%9ld bytes: DataBytes.Add %9.3f ms, vector %8.3f ms, x%6.2f vector's time"
                " (x%5.2f the first count's ratio)\n",
                count, add * 1000, vector * 1000, ratio, ratio / firstRatio);
  }
  return 0;
}
