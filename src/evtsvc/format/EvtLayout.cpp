#include "EvtLayout.h"

#include <cstring>

#include "EvtBytes.h"

namespace corvane::evt::layout {
namespace {

using bytes::Load32;
using bytes::Store32;

constexpr uint32_t kVersion = 1;
constexpr uint32_t kEofWords[] = {kEofRecordSize, 0x11111111, 0x22222222, 0x33333333,
                                  0x44444444};
constexpr size_t kCacheBlock = 64 * 1024;

}  // namespace

std::array<uint8_t, kHeaderSize> EncodeHeader(const Header& header) {
  std::array<uint8_t, kHeaderSize> out{};
  const uint32_t words[] = {kHeaderSize,
                            kRecordSignature,
                            kVersion,
                            kVersion,
                            header.startOffset,
                            header.endOffset,
                            header.currentRecordNumber,
                            header.oldestRecordNumber,
                            header.maxSize,
                            header.flags,
                            header.retention,
                            kHeaderSize};
  for (size_t i = 0; i < std::size(words); ++i) Store32(&out[i * 4], words[i]);
  return out;
}

Header DecodeHeader(const uint8_t* bytes) {
  if (Load32(bytes) != kHeaderSize || Load32(bytes + 4) != kRecordSignature ||
      Load32(bytes + 44) != kHeaderSize) {
    throw TCorruptLog("not an event log file");
  }
  if (Load32(bytes + 8) != kVersion || Load32(bytes + 12) != kVersion) {
    throw TCorruptLog("event log file of an unknown version");
  }
  Header header;
  header.startOffset = Load32(bytes + 16);
  header.endOffset = Load32(bytes + 20);
  header.currentRecordNumber = Load32(bytes + 24);
  header.oldestRecordNumber = Load32(bytes + 28);
  header.maxSize = Load32(bytes + 32);
  header.flags = Load32(bytes + 36);
  header.retention = Load32(bytes + 40);
  return header;
}

std::array<uint8_t, kEofRecordSize> EncodeEof(const Extent& extent) {
  std::array<uint8_t, kEofRecordSize> out{};
  for (size_t i = 0; i < std::size(kEofWords); ++i) Store32(&out[i * 4], kEofWords[i]);
  Store32(&out[20], extent.start);
  Store32(&out[24], extent.end);
  Store32(&out[28], extent.current);
  Store32(&out[32], extent.oldest);
  Store32(&out[36], kEofRecordSize);
  return out;
}

bool HasEofMarker(const uint8_t* bytes) {
  for (size_t i = 0; i < std::size(kEofWords); ++i) {
    if (Load32(bytes + i * 4) != kEofWords[i]) return false;
  }
  return true;
}

std::optional<Extent> DecodeEof(const uint8_t* bytes) {
  if (!HasEofMarker(bytes) || Load32(bytes + 36) != kEofRecordSize) return std::nullopt;
  return Extent{Load32(bytes + 20), Load32(bytes + 24), Load32(bytes + 28), Load32(bytes + 32)};
}

Extent ExtentOf(const Header& header) {
  return Extent{header.startOffset, header.endOffset, header.currentRecordNumber,
                header.oldestRecordNumber};
}

void SetExtent(Header& header, const Extent& extent) {
  header.startOffset = extent.start;
  header.endOffset = extent.end;
  header.currentRecordNumber = extent.current;
  header.oldestRecordNumber = extent.oldest;
}

TRing::TRing(const TStorage& storage, uint32_t fileSize) : storage_(storage), fileSize_(fileSize) {}

uint32_t TRing::Advance(uint32_t offset, uint32_t count) const {
  const uint64_t position = uint64_t{offset - kHeaderSize} + count;
  return kHeaderSize + static_cast<uint32_t>(position % capacity());
}

uint32_t TRing::Distance(uint32_t from, uint32_t to) const {
  return to >= from ? to - from : capacity() - (from - to);
}

void TRing::Read(uint32_t offset, void* buffer, size_t count) const {
  if (!Holds(offset) || count > capacity()) throw TCorruptLog("read outside the log's records");
  auto* out = static_cast<uint8_t*>(buffer);
  const size_t first = std::min<size_t>(count, fileSize_ - offset);
  ReadLinear(offset, out, first);
  ReadLinear(kHeaderSize, out + first, count - first);
}

uint32_t TRing::Read32(uint32_t offset) const {
  uint8_t word[4];
  Read(offset, word, sizeof word);
  return Load32(word);
}

void TRing::ReadLinear(uint64_t offset, uint8_t* buffer, size_t count) const {
  if (count == 0) return;
  if (count > kCacheBlock / 2) {
    storage_.Read(offset, buffer, count);
    return;
  }
  if (offset < cachedOffset_ || offset + count > cachedOffset_ + cachedSize_) {
    // A read before the cached block means a walk backwards (newest record first): the block
    // then ends with this read, so that the records before it come from the cache too, rather
    // than a whole block being read for each of them.
    uint64_t start = offset;
    if (cachedSize_ != 0 && offset < cachedOffset_) {
      start = offset + count > kCacheBlock ? offset + count - kCacheBlock : 0;
    }
    const size_t block = static_cast<size_t>(std::min<uint64_t>(kCacheBlock, fileSize_ - start));
    cache_.resize(kCacheBlock);
    cachedSize_ = 0;
    storage_.Read(start, cache_.data(), block);
    cachedOffset_ = start;
    cachedSize_ = block;
    if (offset + count > start + block) throw TCorruptLog("read outside the log file");
  }
  std::memcpy(buffer, cache_.data() + (offset - cachedOffset_), count);
}

void WriteRing(TStorage& storage, const TRing& ring, uint32_t offset, const uint8_t* data,
               size_t count) {
  if (!ring.Holds(offset) || count > ring.capacity()) {
    throw std::logic_error("write outside the log's records");
  }
  const size_t first = std::min<size_t>(count, ring.fileSize() - offset);
  if (count > first) storage.Write(kHeaderSize, data + first, count - first);
  storage.Write(offset, data, first);
  ring.Invalidate();
}

}  // namespace corvane::evt::layout
