// Writes the fuzzer's seeds: the saved state of a configured probe, once as it is and once
// marked for resealing (the first byte tells the fuzz target which).
#include <cstdio>
#include <string>
#include <vector>

#include "StreamProbe.h"

using namespace corvane::stream_test;

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  TProbe probe;
  probe.machine = "\\\\HOST";
  probe.active = true;
  probe.limit = 42;
  probe.logon.user = "user";
  probe.logon.password = "secret";
  const std::vector<uint8_t> stream = corvane::WritePropertyStream(probe);
  for (int mark = 0; mark < 2; ++mark) {
    const std::string path = std::string(argv[1]) + "/seed" + std::to_string(mark);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 1;
    std::fputc(mark, f);
    std::fwrite(stream.data(), 1, stream.size(), f);
    std::fclose(f);
  }
  return 0;
}
