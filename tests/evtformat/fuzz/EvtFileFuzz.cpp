// libFuzzer target: any bytes as a log file. The count their header states is read within
// them. Opening either fails with CorruptLog or gives a log whose every record reads, forwards
// and backwards, within the file; appending to it keeps it readable, a second view of it sees the
// append on Refresh, its copy holds the same records and clearing it leaves an empty log. Built
// and run by scripts/fuzz.sh.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "EvtFile.h"

namespace {

using namespace corvane::evt;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

std::vector<std::vector<uint8_t>> ReadAll(const TLogFile& log) {
  std::vector<std::vector<uint8_t>> records;
  const uint32_t oldest = log.OldestRecordNumber();
  const uint32_t count = log.Count();
  Check(count == 0 ? oldest == 0 : log.header().currentRecordNumber - oldest == count);
  for (uint32_t pass = 0; pass < 2; ++pass) {
    for (uint32_t i = 0; i < count; ++i) {
      const uint32_t number = oldest + (pass == 0 ? i : count - 1 - i);
      std::vector<uint8_t> bytes = log.RecordBytes(number);
      Check(!bytes.empty());
      try {
        const Record record = DecodeRecord(bytes.data(), bytes.size());
        Check(record.recordNumber == number);
      } catch (const TCorruptLog&) {
      }
      if (pass == 0) records.push_back(std::move(bytes));
    }
  }
  Check(log.RecordBytes(oldest + count).empty());
  return records;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryStorage storage(std::vector<uint8_t>(data, data + size));
  // Whatever the bytes, the count a header states is read within them, without a throw.
  static_cast<void>(StatedCount(storage));
  std::unique_ptr<TLogFile> log;
  try {
    log = TLogFile::Open(storage, false);
  } catch (const TCorruptLog&) {
    return 0;
  }
  auto other = TLogFile::Open(storage, true);
  ReadAll(*log);

  Record record;
  record.timeWritten = 0xFFFFFFF0;
  record.sourceName = u"Fuzz";
  record.computerName = u"HOST";
  record.strings = {u"one", u"two"};
  record.sid = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
  record.data = {1, 2, 3};
  uint32_t number = 0;
  try {
    number = log->Append(record);
  } catch (const TLogFull&) {
    return 0;
  }
  auto reopened = TLogFile::Open(storage, true);
  const auto records = ReadAll(*reopened);
  Check(reopened->header().currentRecordNumber == number + 1);
  const std::vector<uint8_t> bytes = reopened->RecordBytes(number);
  record.recordNumber = number;
  Check(DecodeRecord(bytes.data(), bytes.size()) == record);

  other->Refresh();
  Check(ReadAll(*other) == records);

  MemoryStorage copy;
  reopened->CopyTo(copy);
  auto copied = TLogFile::Open(copy, true);
  Check(ReadAll(*copied) == records);
  Check((copy.bytes()[36] & kFlagDirty) == 0);

  log->Clear();
  auto cleared = TLogFile::Open(storage, true);
  Check(cleared->Count() == 0 && cleared->header().currentRecordNumber == 1);
  return 0;
}
