// Writes a log of COUNT events spread evenly over SOURCES event sources named BenchSource01 and
// on, for the message-formatting benchmark.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "EvtFile.h"

using namespace corvane::evt;

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_message_log OUT.evt COUNT SOURCES\n");
    return 2;
  }
  try {
    const unsigned long count = std::strtoul(argv[2], nullptr, 10);
    const unsigned long sources = std::strtoul(argv[3], nullptr, 10);
    if (sources == 0 || sources > 99) throw std::runtime_error("SOURCES is 1 to 99");
    std::remove(argv[1]);
    TFileStorage out(argv[1], TFileStorage::TMode::Create);
    TLogFile::Create(out, 256u * 1024 * 1024, 0);
    auto log = TLogFile::Open(out, false);
    for (unsigned long i = 0; i < count; ++i) {
      Record r;
      r.timeGenerated = r.timeWritten = 1700000000u + static_cast<uint32_t>(i);
      const unsigned long source = i % sources + 1;
      const bool slow = i % 3 == 0;
      r.eventId = slow ? 0x80000002u : 0x40000001u;
      r.eventType = slow ? 2 : 4;
      r.sourceName = u"BenchSource";
      r.sourceName += static_cast<char16_t>(u'0' + source / 10);
      r.sourceName += static_cast<char16_t>(u'0' + source % 10);
      r.computerName = u"BENCH";
      const std::string job = std::to_string(i), seconds = std::to_string(i % 600);
      r.strings = {std::u16string(job.begin(), job.end()),
                   std::u16string(seconds.begin(), seconds.end())};
      if (slow) r.strings.push_back(u"300");
      log->Append(std::move(r));
    }
    std::printf("%u records\n", log->Count());
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_message_log: %s\n", e.what());
    return 1;
  }
}
