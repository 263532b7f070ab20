// Helpers shared by the event-log format tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "EvtFile.h"

namespace corvane::evt::test {

// A record with some of everything; `size` adds data bytes, so that records differ in length.
Record MakeRecord(uint32_t seed, size_t size = 0, uint32_t timeWritten = 1'600'000'000);

// Every record of the log through RecordBytes and DecodeRecord, oldest first or newest first.
std::vector<Record> ReadForwards(const TLogFile& log);
std::vector<Record> ReadBackwards(const TLogFile& log);

// The record numbers of `records`.
std::vector<uint32_t> Numbers(const std::vector<Record>& records);

std::vector<uint32_t> Range(uint32_t first, uint32_t last);

std::u16string Widen(const std::string& ascii);

// Where each record begins, oldest first, following lengths from the header's start offset to
// its end offset.
std::vector<uint32_t> RecordOffsets(const TStorage& storage);

// A fresh empty log in memory.
MemoryStorage NewLog(uint32_t maxSize = kSizeStep, uint32_t retention = 0);

// Where tests leave log files they wrote (the fuzzer's corpus takes them as seeds).
std::string OutputFolder();

}  // namespace corvane::evt::test
