// libFuzzer target: any bytes as a log file. The count their header states is read within
// them. Opening either fails with CorruptLog or gives a log whose every record reads, forwards
// and backwards, within the file; appending to it keeps it readable, a second view of it sees the
// append on Refresh, its copy holds the same records and clearing it leaves an empty log. Bytes
// that do not open for changes may still open read-only, past damage: then the records read in
// rising order both ways, their copy reads the same, and the bytes are left as they were. Built
// in the fuzz tree and run by scripts/fuzz.sh; replayed over its seeds and findings by make test.
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
  const uint32_t count = log.Count();
  Check(log.OldestRecordNumber() == (count == 0 ? 0 : log.NumberAt(0)));
  for (uint32_t pass = 0; pass < 2; ++pass) {
    for (uint32_t i = 0; i < count; ++i) {
      const uint32_t position = pass == 0 ? i : count - 1 - i;
      const uint32_t number = log.NumberAt(position);
      Check(position == 0 || log.NumberAt(position - 1) < number);
      Check(log.Holds(number));
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
  if (count != 0) Check(!log.Holds(log.NumberAt(count - 1) + 1));
  return records;
}

// What a log opened for changes holds: one record for every number from the oldest on.
void CheckWhole(const TLogFile& log) {
  const uint32_t count = log.Count();
  Check(count == 0 || log.header().currentRecordNumber - log.OldestRecordNumber() == count);
  Check(count == 0 || log.NumberAt(count - 1) == log.OldestRecordNumber() + count - 1);
}

void CheckReadOnly(MemoryStorage& storage) {
  const std::vector<uint8_t> before = storage.bytes();
  try {
    auto log = TLogFile::Open(storage, true);
    const auto records = ReadAll(*log);
    MemoryStorage copy;
    log->CopyTo(copy);
    Check(ReadAll(*TLogFile::Open(copy, true)) == records);
  } catch (const TCorruptLog&) {
  }
  Check(storage.bytes() == before);
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
    CheckReadOnly(storage);
    return 0;
  }
  auto other = TLogFile::Open(storage, true);
  ReadAll(*log);
  CheckWhole(*log);

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
  CheckWhole(*reopened);
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
