#include "EvtTestSupport.h"

#include <array>
#include <filesystem>

#include "EvtLayout.h"

namespace corvane::evt::test {

Record MakeRecord(uint32_t seed, size_t size, uint32_t timeWritten) {
  Record record;
  record.timeGenerated = timeWritten - 1;
  record.timeWritten = timeWritten;
  record.eventId = 0x40000000u + seed;
  record.eventType = static_cast<uint16_t>(1u << (seed % 5));
  record.eventCategory = static_cast<uint16_t>(seed % 7);
  record.sourceName = u"Source" + Widen(std::to_string(seed % 3));
  record.computerName = u"HOST";
  for (uint32_t i = 0; i < seed % 4; ++i) {
    record.strings.push_back(u"text " + Widen(std::to_string(seed)) + u" \u4e2d\u6587 " +
                             Widen(std::to_string(i)));
  }
  if (seed % 3 == 1) record.sid = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
  for (size_t i = 0; i < size + seed % 5; ++i) record.data.push_back(static_cast<uint8_t>(seed + i));
  return record;
}

std::vector<Record> ReadForwards(const TLogFile& log) {
  std::vector<Record> records;
  for (uint32_t i = 0; i < log.Count(); ++i) {
    const auto bytes = log.RecordBytes(log.NumberAt(i));
    records.push_back(DecodeRecord(bytes.data(), bytes.size()));
  }
  return records;
}

std::vector<Record> ReadBackwards(const TLogFile& log) {
  std::vector<Record> records;
  for (uint32_t i = log.Count(); i-- > 0;) {
    const auto bytes = log.RecordBytes(log.NumberAt(i));
    records.push_back(DecodeRecord(bytes.data(), bytes.size()));
  }
  return records;
}

std::vector<uint32_t> RecordOffsets(const TStorage& storage) {
  std::array<uint8_t, kHeaderSize> raw;
  storage.Read(0, raw.data(), raw.size());
  const Header header = layout::DecodeHeader(raw.data());
  const layout::TRing ring(storage, static_cast<uint32_t>(storage.Size()));
  std::vector<uint32_t> offsets;
  for (uint32_t at = header.startOffset; at != header.endOffset;
       at = ring.Advance(at, ring.Read32(at))) {
    offsets.push_back(at);
  }
  return offsets;
}

std::vector<uint32_t> Numbers(const std::vector<Record>& records) {
  std::vector<uint32_t> numbers;
  for (const auto& record : records) numbers.push_back(record.recordNumber);
  return numbers;
}

std::u16string Widen(const std::string& ascii) { return {ascii.begin(), ascii.end()}; }

std::vector<uint32_t> Range(uint32_t first, uint32_t last) {
  std::vector<uint32_t> numbers;
  for (uint32_t n = first; n <= last; ++n) numbers.push_back(n);
  return numbers;
}

MemoryStorage NewLog(uint32_t maxSize, uint32_t retention) {
  MemoryStorage storage;
  TLogFile::Create(storage, maxSize, retention);
  return storage;
}

std::string OutputFolder() {
  const std::string folder = std::string(CORVANE_BINARY_DIR) + "/evtformat-output";
  std::filesystem::create_directories(folder);
  return folder;
}

}  // namespace corvane::evt::test
