#include "EvtRecord.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "EvtBytes.h"

namespace corvane::evt {
namespace {

using bytes::Load16;
using bytes::Load32;
using bytes::Store16;
using bytes::Store32;

// Field offsets of the fixed part.
constexpr size_t kLength = 0, kSignature = 4, kNumber = 8, kTimeGenerated = 12, kTimeWritten = 16,
                 kEventId = 20, kEventType = 24, kNumStrings = 26, kCategory = 28,
                 kReservedFlags = 30, kClosingNumber = 32, kStringOffset = 36, kSidLength = 40,
                 kSidOffset = 44, kDataLength = 48, kDataOffset = 52;

uint64_t TextBytes(const std::u16string& text) {
  if (text.find(u'\0') != std::u16string::npos) {
    throw std::invalid_argument("event text contains a null character");
  }
  return (text.size() + 1) * 2;
}

size_t PutText(std::vector<uint8_t>& out, size_t at, const std::u16string& text) {
  for (char16_t c : text) {
    Store16(&out[at], static_cast<uint16_t>(c));
    at += 2;
  }
  return at + 2;  // the terminator is already zero
}

// The null-terminated UTF-16LE text at `at`, which must end before `limit`, without its
// terminator; `next` receives the offset after the terminator.
std::span<const uint8_t> TextAt(const uint8_t* bytes, size_t at, size_t limit, size_t& next) {
  for (size_t p = at; p + 2 <= limit; p += 2) {
    if (bytes[p] != 0 || bytes[p + 1] != 0) continue;
    next = p + 2;
    return {bytes + at, p - at};
  }
  throw TCorruptLog("event record text runs past its record");
}

void CopyText(std::span<const uint8_t> bytes, std::u16string& text) {
  text.resize(bytes.size() / 2);
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(text.data(), bytes.data(), bytes.size());
  } else {
    for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(Load16(bytes.data() + 2 * i));
  }
}

}  // namespace

std::vector<uint8_t> EncodeRecord(const Record& record) {
  if (record.strings.size() > std::numeric_limits<uint16_t>::max()) {
    throw std::length_error("an event record holds at most 65535 strings");
  }
  // The parts follow one another with no padding between them, as in the system's own files: the
  // SID starts where the computer name ends, on a DWORD or not. Readers that take the parts in
  // order rather than by their offsets depend on it.
  const uint64_t sidOffset =
      kRecordFixedSize + TextBytes(record.sourceName) + TextBytes(record.computerName);
  uint64_t size = sidOffset + record.sid.size();
  const uint64_t stringOffset = size;
  for (const auto& text : record.strings) size += TextBytes(text);
  const uint64_t dataOffset = size;
  size += record.data.size();
  // The system always pads, with a whole DWORD when the end is already aligned; records we write
  // match its own byte for byte.
  size += 4 - size % 4;
  size += 4;  // trailing length
  if (size > std::numeric_limits<uint32_t>::max()) {
    throw std::length_error("event record larger than 4 GB");
  }

  std::vector<uint8_t> out(size);
  uint8_t* p = out.data();
  Store32(p + kLength, static_cast<uint32_t>(size));
  Store32(p + kSignature, kRecordSignature);
  Store32(p + kNumber, record.recordNumber);
  Store32(p + kTimeGenerated, record.timeGenerated);
  Store32(p + kTimeWritten, record.timeWritten);
  Store32(p + kEventId, record.eventId);
  Store16(p + kEventType, record.eventType);
  Store16(p + kNumStrings, static_cast<uint16_t>(record.strings.size()));
  Store16(p + kCategory, record.eventCategory);
  Store16(p + kReservedFlags, record.reservedFlags);
  Store32(p + kClosingNumber, record.closingRecordNumber);
  Store32(p + kStringOffset, static_cast<uint32_t>(stringOffset));
  Store32(p + kSidLength, static_cast<uint32_t>(record.sid.size()));
  Store32(p + kSidOffset, static_cast<uint32_t>(sidOffset));
  Store32(p + kDataLength, static_cast<uint32_t>(record.data.size()));
  Store32(p + kDataOffset, static_cast<uint32_t>(dataOffset));

  size_t at = PutText(out, kRecordFixedSize, record.sourceName);
  PutText(out, at, record.computerName);
  std::copy(record.sid.begin(), record.sid.end(), out.begin() + sidOffset);
  at = stringOffset;
  for (const auto& text : record.strings) at = PutText(out, at, text);
  std::copy(record.data.begin(), record.data.end(), out.begin() + dataOffset);
  Store32(p + size - 4, static_cast<uint32_t>(size));
  return out;
}

namespace {

// Checks and decodes everything but the insertion strings into `view`; tells `onCount` how many
// strings there are, then hands each to `onString(index, text)`.
template <typename OnCount, typename OnString>
void DecodeParts(const uint8_t* bytes, size_t size, RecordView& view, OnCount&& onCount,
                 OnString&& onString) {
  if (size < kMinRecordSize) throw TCorruptLog("event record too short");
  if (Load32(bytes + kLength) != size || Load32(bytes + size - 4) != size) {
    throw TCorruptLog("event record lengths disagree");
  }
  if (Load32(bytes + kSignature) != kRecordSignature) {
    throw TCorruptLog("event record without its signature");
  }
  const size_t end = size - 4;  // variable parts end before the trailing length

  view.recordNumber = Load32(bytes + kNumber);
  view.timeGenerated = Load32(bytes + kTimeGenerated);
  view.timeWritten = Load32(bytes + kTimeWritten);
  view.eventId = Load32(bytes + kEventId);
  view.eventType = Load16(bytes + kEventType);
  view.eventCategory = Load16(bytes + kCategory);
  view.reservedFlags = Load16(bytes + kReservedFlags);
  view.closingRecordNumber = Load32(bytes + kClosingNumber);

  size_t namesEnd = 0;
  view.sourceName = TextAt(bytes, kRecordFixedSize, end, namesEnd);
  view.computerName = TextAt(bytes, namesEnd, end, namesEnd);

  // Each part lies between the names and the trailing length; lengths are checked against the
  // room left rather than by adding to offsets, which could overflow.
  auto part = [&](size_t offsetField, uint32_t length, const char* what) -> size_t {
    const uint32_t offset = Load32(bytes + offsetField);
    if (offset < namesEnd || offset > end || length > end - offset) {
      throw TCorruptLog(std::string("event record ") + what + " outside its record");
    }
    return offset;
  };

  const uint32_t sidLength = Load32(bytes + kSidLength);
  view.sid = {};
  if (sidLength != 0) view.sid = {bytes + part(kSidOffset, sidLength, "SID"), sidLength};
  const uint16_t numStrings = Load16(bytes + kNumStrings);
  onCount(numStrings);
  size_t at = numStrings != 0 ? part(kStringOffset, 0, "strings") : 0;
  for (uint16_t i = 0; i < numStrings; ++i) onString(i, TextAt(bytes, at, end, at));
  const uint32_t dataLength = Load32(bytes + kDataLength);
  view.data = {};
  if (dataLength != 0) view.data = {bytes + part(kDataOffset, dataLength, "data"), dataLength};
}

}  // namespace

void DecodeRecordView(const uint8_t* bytes, size_t size, RecordView& view) {
  DecodeParts(
      bytes, size, view, [&](uint16_t count) { view.strings.resize(count); },
      [&](uint16_t index, std::span<const uint8_t> text) { view.strings[index] = text; });
}

Record DecodeRecord(const uint8_t* bytes, size_t size) {
  Record record;
  DecodeRecord(bytes, size, record);
  return record;
}

void DecodeRecord(const uint8_t* bytes, size_t size, Record& record) {
  RecordView view;
  DecodeParts(
      bytes, size, view, [&](uint16_t count) { record.strings.resize(count); },
      [&](uint16_t index, std::span<const uint8_t> text) { CopyText(text, record.strings[index]); });
  static_cast<RecordFields&>(record) = view;
  CopyText(view.sourceName, record.sourceName);
  CopyText(view.computerName, record.computerName);
  record.sid.assign(view.sid.begin(), view.sid.end());
  record.data.assign(view.data.begin(), view.data.end());
}

void DecodeNames(const uint8_t* bytes, size_t size, std::u16string& source,
                 std::u16string& computer) {
  if (size < kMinRecordSize) throw TCorruptLog("event record too short");
  const size_t end = size - 4;
  size_t next = 0;
  CopyText(TextAt(bytes, kRecordFixedSize, end, next), source);
  CopyText(TextAt(bytes, next, end, next), computer);
}

}  // namespace corvane::evt
