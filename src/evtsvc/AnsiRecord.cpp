#include "AnsiRecord.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>
#include <string>

#include "AnsiText.h"
#include "Win32Error.h"

namespace corvane::evtsvc {
namespace {

class TBuilder {
 public:
  explicit TBuilder(std::vector<uint8_t>& bytes) : bytes_(bytes) { bytes_.clear(); }
  size_t size() const { return bytes_.size(); }
  void Bytes(const void* data, size_t count) {
    const auto* begin = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), begin, begin + count);
  }
  // ASCII is the same in every ANSI code page and goes straight in, without a converted copy.
  void Text(const std::u16string& text) {
    if (std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; })) {
      bytes_.insert(bytes_.end(), text.begin(), text.end());
      bytes_.push_back(0);
      return;
    }
    const std::string ansi = ToAnsi(text);
    Bytes(ansi.c_str(), ansi.size() + 1);
  }
  void Zeros(size_t count) { bytes_.insert(bytes_.end(), count, 0); }
  void Dword(size_t at, size_t value) {
    if (value > std::numeric_limits<DWORD>::max()) ThrowWin32(ERROR_ARITHMETIC_OVERFLOW);
    const DWORD dword = static_cast<DWORD>(value);
    std::memcpy(bytes_.data() + at, &dword, sizeof(dword));
  }
  void Reserve(size_t count) { bytes_.reserve(count); }

 private:
  std::vector<uint8_t>& bytes_;
};

// Enough for the 8-bit record unless a code page takes more than a byte per character, so that
// the record is built without moving it as it grows.
size_t Estimate(const evt::Record& record) {
  size_t size = sizeof(EVENTLOGRECORD) + record.sourceName.size() + record.computerName.size() +
                record.sid.size() + record.data.size() + 16;
  for (const std::u16string& text : record.strings) size += text.size() + 1;
  return size;
}

}  // namespace

std::vector<uint8_t> AnsiRecord(const evt::Record& record) {
  std::vector<uint8_t> bytes;
  AnsiRecord(record, bytes);
  return bytes;
}

void AnsiRecord(const evt::Record& record, std::vector<uint8_t>& bytes) {
  EVENTLOGRECORD fixed{};
  static_assert(sizeof(fixed) == 56);
  fixed.Reserved = evt::kRecordSignature;
  fixed.RecordNumber = record.recordNumber;
  fixed.TimeGenerated = record.timeGenerated;
  fixed.TimeWritten = record.timeWritten;
  fixed.EventID = record.eventId;
  fixed.EventType = record.eventType;
  fixed.NumStrings = static_cast<WORD>(record.strings.size());
  fixed.EventCategory = record.eventCategory;
  fixed.ReservedFlags = record.reservedFlags;
  fixed.ClosingRecordNumber = record.closingRecordNumber;

  TBuilder out(bytes);
  out.Bytes(&fixed, sizeof(fixed));
  out.Reserve(Estimate(record));
  out.Text(record.sourceName);
  out.Text(record.computerName);
  out.Zeros(sizeof(DWORD) - out.size() % sizeof(DWORD));

  const size_t sidOffset = out.size();
  out.Bytes(record.sid.data(), record.sid.size());
  const size_t stringOffset = out.size();
  for (const std::u16string& text : record.strings) out.Text(text);
  const size_t dataOffset = out.size();
  out.Bytes(record.data.data(), record.data.size());
  out.Zeros((sizeof(DWORD) - out.size() % sizeof(DWORD)) % sizeof(DWORD));
  out.Zeros(sizeof(DWORD));
  const size_t length = out.size();

  out.Dword(offsetof(EVENTLOGRECORD, Length), length);
  out.Dword(offsetof(EVENTLOGRECORD, StringOffset), stringOffset);
  out.Dword(offsetof(EVENTLOGRECORD, UserSidLength), record.sid.size());
  out.Dword(offsetof(EVENTLOGRECORD, UserSidOffset), sidOffset);
  out.Dword(offsetof(EVENTLOGRECORD, DataLength), record.data.size());
  out.Dword(offsetof(EVENTLOGRECORD, DataOffset), dataOffset);
  out.Dword(length - sizeof(DWORD), length);
}

}  // namespace corvane::evtsvc
