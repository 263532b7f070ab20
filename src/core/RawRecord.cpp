#include "core/RawRecord.h"

#include <cstring>
#include <limits>
#include <string>

#include "framework/OleSysError.h"

namespace corvane {

namespace {

// Field offsets of the fixed part.
constexpr size_t kLengthAt = 0;
constexpr size_t kRecordNumberAt = 8;
constexpr size_t kTimeGeneratedAt = 12;
constexpr size_t kTimeWrittenAt = 16;
constexpr size_t kEventIdAt = 20;
constexpr size_t kEventTypeAt = 24;
constexpr size_t kNumStringsAt = 26;
constexpr size_t kEventCategoryAt = 28;
constexpr size_t kStringOffsetAt = 36;
constexpr size_t kUserSidLengthAt = 40;
constexpr size_t kUserSidOffsetAt = 44;
constexpr size_t kDataLengthAt = 48;
constexpr size_t kDataOffsetAt = 52;

// Items keep their byte counts in 32-bit signed fields.
constexpr uint32_t kLargestArea = static_cast<uint32_t>(std::numeric_limits<int32_t>::max());

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

uint32_t Read32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

[[noreturn]] void RefuseRecord(const std::string& what) {
  throw EOleSysError(std::to_string(kEventLogFileCorrupt) +
                         ": The event log file is corrupted: " + what + ".",
                     kSystemErrorCode);
}

class RecordReader {
 public:
  RecordReader(const uint8_t* bytes, uint32_t length, uint32_t number)
      : bytes_(bytes), length_(length), number_(number) {}

  // The zero-terminated string at `offset`; `name` (with `index` when not 0) tells the refusal
  // what it was. Names are only put together for a refusal: every record read comes here.
  std::string_view StringAt(size_t offset, const char* name, int index = 0) const {
    if (offset < kRawRecordFixedSize || offset >= length_) {
      Refuse(Name(name, index) + " starts at " + std::to_string(offset) + ", outside the record");
    }
    const void* end = std::memchr(bytes_ + offset, 0, length_ - offset);
    if (!end) Refuse(Name(name, index) + " is not terminated within the record");
    return {reinterpret_cast<const char*>(bytes_ + offset),
            static_cast<size_t>(static_cast<const uint8_t*>(end) - (bytes_ + offset))};
  }

  std::span<const uint8_t> AreaAt(uint32_t offset, uint32_t size, const char* name) const {
    if (size == 0) return {};
    // 64-bit sums: offset + size cannot wrap.
    if (offset < kRawRecordFixedSize || uint64_t{offset} + size > length_ || size > kLargestArea) {
      Refuse(std::string(name) + " of " + std::to_string(size) + " bytes at " + std::to_string(offset) +
             " lies outside the record");
    }
    return {bytes_ + offset, size};
  }

  static std::string Name(const char* name, int index) {
    return index ? name + (" " + std::to_string(index)) : std::string(name);
  }

  [[noreturn]] void Refuse(const std::string& what) const {
    RefuseRecord("record " + std::to_string(number_) + " of " + std::to_string(length_) +
                 " bytes: " + what);
  }

 private:
  const uint8_t* bytes_;
  uint32_t length_;
  uint32_t number_;
};

}  // namespace

TRawRecord DecodeRawRecord(const void* record, size_t available) {
  TRawRecord r;
  DecodeRawRecord(record, available, r);
  return r;
}

void DecodeRawRecord(const void* record, size_t available, TRawRecord& r) {
  if (!record || available < kRawRecordFixedSize) {
    RefuseRecord("only " + std::to_string(record ? available : 0) + " bytes of a record of at least " +
                 std::to_string(kRawRecordFixedSize) + " were delivered");
  }
  const auto* bytes = static_cast<const uint8_t*>(record);
  r.Length = Read32(bytes + kLengthAt);
  r.RecordNumber = Read32(bytes + kRecordNumberAt);
  if (r.Length < kRawRecordFixedSize) {
    RefuseRecord("record " + std::to_string(r.RecordNumber) + " claims " +
                 std::to_string(r.Length) + " bytes, fewer than its fixed part");
  }
  if (r.Length > available) {
    RefuseRecord("record " + std::to_string(r.RecordNumber) + " claims " +
                 std::to_string(r.Length) + " bytes, but only " + std::to_string(available) +
                 " were delivered");
  }
  const RecordReader reader(bytes, r.Length, r.RecordNumber);

  r.TimeGenerated = Read32(bytes + kTimeGeneratedAt);
  r.TimeWritten = Read32(bytes + kTimeWrittenAt);
  r.EventId = Read32(bytes + kEventIdAt);
  r.EventType = Read16(bytes + kEventTypeAt);
  r.EventCategory = Read16(bytes + kEventCategoryAt);

  r.SourceName = reader.StringAt(kRawRecordFixedSize, "the source name");
  r.ComputerName =
      reader.StringAt(kRawRecordFixedSize + r.SourceName.size() + 1, "the computer name");

  const uint16_t numStrings = Read16(bytes + kNumStringsAt);
  size_t offset = Read32(bytes + kStringOffsetAt);
  r.Strings.clear();
  r.Strings.reserve(numStrings);
  for (uint16_t i = 0; i < numStrings; ++i) {
    r.Strings.push_back(reader.StringAt(offset, "insertion string", i + 1));
    offset += r.Strings.back().size() + 1;
  }

  r.Sid = reader.AreaAt(Read32(bytes + kUserSidOffsetAt), Read32(bytes + kUserSidLengthAt),
                        "the user SID");
  r.Data = reader.AreaAt(Read32(bytes + kDataOffsetAt), Read32(bytes + kDataLengthAt),
                         "the event data");
}

double RecordTimeToDateTime(uint32_t seconds) {
  // 25569 is the day number of 1970-01-01 in the OLE date count.
  return static_cast<double>(seconds) / 60 / 60 / 24 + 25569;
}

bool SidFitsBuffer(const uint8_t* sid, size_t length) {
  // Revision, sub-authority count, six bytes of authority, then four bytes per sub-authority.
  constexpr size_t kSidHeader = 8;
  constexpr uint8_t kMaxSubAuthorities = 15;
  if (!sid || length < kSidHeader || sid[0] != 1 || sid[1] > kMaxSubAuthorities) return false;
  return kSidHeader + 4u * sid[1] <= length;
}

}  // namespace corvane
