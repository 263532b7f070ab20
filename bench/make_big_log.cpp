// Builds a large event log by replaying the records of a sample log over and over, renumbered,
// until the file reaches the size asked for. Used by the benchmarks.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "EvtFile.h"

using namespace corvane::evt;

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_big_log SAMPLE.evt OUT.evt SIZE_MB\n");
    return 2;
  }
  try {
    TFileStorage sampleFile(argv[1], TFileStorage::TMode::ReadOnly);
    auto sample = TLogFile::Open(sampleFile, true);
    std::vector<Record> records;
    const uint32_t oldest = sample->OldestRecordNumber();
    for (uint32_t i = 0; i < sample->Count(); ++i) {
      const auto bytes = sample->RecordBytes(oldest + i);
      records.push_back(DecodeRecord(bytes.data(), bytes.size()));
    }
    if (records.empty()) throw std::runtime_error("the sample log holds no records");

    const uint64_t target = std::strtoull(argv[3], nullptr, 10) * 1024 * 1024;
    std::remove(argv[2]);
    TFileStorage out(argv[2], TFileStorage::TMode::Create);
    TLogFile::Create(out, static_cast<uint32_t>(target), 0);
    auto log = TLogFile::Open(out, false);
    uint64_t used = kHeaderSize + kEofRecordSize;
    for (size_t i = 0;; ++i) {
      const Record& r = records[i % records.size()];
      const uint64_t size = EncodeRecord(r).size();
      if (used + size >= target) break;
      log->Append(r);
      used += size;
    }
    std::printf("%u records, %llu bytes\n", log->Count(), static_cast<unsigned long long>(used));
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_big_log: %s\n", e.what());
    return 1;
  }
}
