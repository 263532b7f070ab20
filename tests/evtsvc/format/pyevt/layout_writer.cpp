// Writes a log whose records vary in every length that moves the parts after the names (source
// names of 1 to 12 characters, with and without a SID, strings, data of 1 to 9 bytes) and prints
// what each record holds, one line apiece: source, SID (or "-"), data in hex, strings joined by
// "|". Usage: layout_writer FILE.evt
#include <cstdio>
#include <string>

#include "EvtFile.h"

namespace {

using namespace corvane::evt;

std::u16string Widen(const std::string& ascii) { return {ascii.begin(), ascii.end()}; }

void Put32(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: layout_writer FILE.evt\n");
    return 2;
  }
  try {
    TFileStorage storage(argv[1], TFileStorage::TMode::Create);
    TLogFile::Create(storage, kSizeStep, 0);
    auto log = TLogFile::Open(storage, false);
    for (uint32_t i = 1; i <= 24; ++i) {
      Record record;
      record.timeGenerated = record.timeWritten = 1'700'000'000 + i;
      record.eventId = 1000 + i;
      record.eventType = 4;
      const std::string source = std::string("Source-Name-").substr(0, (i - 1) % 12 + 1);
      record.sourceName = Widen(source);
      record.computerName = u"CORVANE-PC";
      std::string sidText = "-";
      if (i % 3 != 0) {
        // S-1-5-21-i-2-3-1000+i
        record.sid = {1, 5, 0, 0, 0, 0, 0, 5};
        for (uint32_t sub : {21u, i, 2u, 3u, 1000u + i}) Put32(record.sid, sub);
        sidText = "S-1-5-21-" + std::to_string(i) + "-2-3-" + std::to_string(1000 + i);
      }
      std::string strings;
      for (uint32_t s = 0; s < i % 3; ++s) {
        record.strings.push_back(Widen("text " + std::to_string(i) + "." + std::to_string(s)));
        strings += (s ? "|" : "") + std::string("text ") + std::to_string(i) + "." + std::to_string(s);
      }
      std::string hex;
      for (uint32_t b = 0; b < (i - 1) % 9 + 1; ++b) {
        record.data.push_back(static_cast<uint8_t>(0x11 + 0x10 * b));
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", record.data.back());
        hex += digits;
      }
      log->Append(std::move(record));
      std::printf("%s\t%s\t%s\t%s\n", source.c_str(), sidText.c_str(), hex.c_str(), strings.c_str());
    }
    storage.Flush();
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "layout_writer: %s\n", failure.what());
    return 1;
  }
  return 0;
}
