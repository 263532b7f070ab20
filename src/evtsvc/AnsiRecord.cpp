#include "AnsiRecord.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>
#include <span>
#include <string>

#include "Win32Error.h"
#include "framework/AnsiText.h"

namespace corvane::evtsvc {
namespace {

// Builds the record in place: the room is sized once for the whole record, which stays right
// unless a code page takes more than a byte per character, and then grows.
class TBuilder {
 public:
  TBuilder(std::vector<uint8_t>& bytes, size_t estimate) : bytes_(bytes) {
    if (bytes_.size() < estimate) bytes_.resize(estimate);
  }
  size_t size() const { return used_; }
  void Bytes(const void* data, size_t count) {
    std::memcpy(Room(count), data, count);
    used_ += count;
  }
  // UTF-16LE text and its terminator. ASCII is the same in every ANSI code page and goes
  // straight in, without a converted copy.
  void Text(std::span<const uint8_t> text) {
    const size_t length = text.size() / 2;
    uint8_t* out = Room(length + 1);
    uint16_t any = 0;
    for (size_t i = 0; i < length; ++i) {
      const uint16_t c = static_cast<uint16_t>(text[2 * i] | text[2 * i + 1] << 8);
      any |= c;
      out[i] = static_cast<uint8_t>(c);
    }
    if (any < 0x80) {
      out[length] = 0;
      used_ += length + 1;
      return;
    }
    std::wstring wide(length, L'\0');
    std::memcpy(wide.data(), text.data(), text.size());
    const std::string ansi = WideToAnsiLossy(wide);
    Bytes(ansi.c_str(), ansi.size() + 1);
  }
  void Zeros(size_t count) {
    std::memset(Room(count), 0, count);
    used_ += count;
  }
  void Dword(size_t at, size_t value) {
    if (value > std::numeric_limits<DWORD>::max()) ThrowWin32(ERROR_ARITHMETIC_OVERFLOW);
    const DWORD dword = static_cast<DWORD>(value);
    std::memcpy(bytes_.data() + at, &dword, sizeof(dword));
  }
  void Finish() { bytes_.resize(used_); }

 private:
  uint8_t* Room(size_t count) {
    if (bytes_.size() - used_ < count) bytes_.resize(std::max(used_ + count, 2 * bytes_.size()));
    return bytes_.data() + used_;
  }

  std::vector<uint8_t>& bytes_;
  size_t used_ = 0;
};

// Enough for the 8-bit record unless a code page takes more than a byte per character.
size_t Estimate(const evt::RecordView& record) {
  size_t size = sizeof(EVENTLOGRECORD) + record.sourceName.size() / 2 + record.computerName.size() / 2 +
                record.sid.size() + record.data.size() + 16;
  for (const auto& text : record.strings) size += text.size() / 2 + 1;
  return size;
}

}  // namespace

void AnsiRecord(const evt::RecordView& record, std::vector<uint8_t>& bytes) {
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

  TBuilder out(bytes, Estimate(record));
  out.Bytes(&fixed, sizeof(fixed));
  out.Text(record.sourceName);
  out.Text(record.computerName);
  out.Zeros(sizeof(DWORD) - out.size() % sizeof(DWORD));

  const size_t sidOffset = out.size();
  out.Bytes(record.sid.data(), record.sid.size());
  const size_t stringOffset = out.size();
  for (const auto& text : record.strings) out.Text(text);
  const size_t dataOffset = out.size();
  out.Bytes(record.data.data(), record.data.size());
  out.Zeros((sizeof(DWORD) - out.size() % sizeof(DWORD)) % sizeof(DWORD));
  out.Zeros(sizeof(DWORD));
  const size_t length = out.size();
  out.Finish();

  out.Dword(offsetof(EVENTLOGRECORD, Length), length);
  out.Dword(offsetof(EVENTLOGRECORD, StringOffset), stringOffset);
  out.Dword(offsetof(EVENTLOGRECORD, UserSidLength), record.sid.size());
  out.Dword(offsetof(EVENTLOGRECORD, UserSidOffset), sidOffset);
  out.Dword(offsetof(EVENTLOGRECORD, DataLength), record.data.size());
  out.Dword(offsetof(EVENTLOGRECORD, DataOffset), dataOffset);
  out.Dword(length - sizeof(DWORD), length);
}

}  // namespace corvane::evtsvc
