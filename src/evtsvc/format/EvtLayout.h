// Inside the log file: header and end-of-file record codecs, and the ring the records circulate
// in. Not part of the module's interface.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "EvtFile.h"

namespace corvane::evt::layout {

// Where the records are, as the header or an end-of-file record tells it.
struct Extent {
  uint32_t start = kHeaderSize;  // oldest record
  uint32_t end = kHeaderSize;    // the end-of-file record
  uint32_t current = 1;          // number the next record gets
  uint32_t oldest = 0;           // 0 when empty

  bool operator==(const Extent&) const = default;
};

std::array<uint8_t, kHeaderSize> EncodeHeader(const Header& header);
// Throws CorruptLog unless the bytes carry the constant header fields.
Header DecodeHeader(const uint8_t* bytes);
std::array<uint8_t, kEofRecordSize> EncodeEof(const Extent& extent);
// The extent an end-of-file record carries, or nothing when the bytes are not one.
std::optional<Extent> DecodeEof(const uint8_t* bytes);
// True when `bytes` hold the five words an end-of-file record begins with.
bool HasEofMarker(const uint8_t* bytes);
constexpr size_t kEofMarkerSize = 20;

Extent ExtentOf(const Header& header);
void SetExtent(Header& header, const Extent& extent);

// The bytes after the header, where records wrap from the end of the file back to just after
// the header. Reads go through a small block cache so that walking or dumping the records costs
// one storage read per block rather than several per record.
class TRing {
 public:
  TRing(const TStorage& storage, uint32_t fileSize);

  uint32_t fileSize() const { return fileSize_; }
  uint32_t capacity() const { return fileSize_ - kHeaderSize; }
  bool Holds(uint32_t offset) const { return offset >= kHeaderSize && offset < fileSize_; }
  uint32_t Advance(uint32_t offset, uint32_t count) const;
  // Bytes from `from` forwards to `to`; 0 when they are equal.
  uint32_t Distance(uint32_t from, uint32_t to) const;
  // Reads `count` (at most capacity()) bytes from `offset`, continuing after the header when they
  // pass the end of the file.
  void Read(uint32_t offset, void* buffer, size_t count) const;
  uint32_t Read32(uint32_t offset) const;
  // Forgets cached bytes; after any write to the storage.
  void Invalidate() const { cachedSize_ = 0; }

 private:
  void ReadLinear(uint64_t offset, uint8_t* buffer, size_t count) const;

  const TStorage& storage_;
  uint32_t fileSize_;
  mutable std::vector<uint8_t> cache_;
  mutable uint64_t cachedOffset_ = 0;
  mutable size_t cachedSize_ = 0;
};

// Writes `count` bytes into the ring at `offset`, wrapping like Ring::Read. The part after the
// wrap point is written first, so the first byte at `offset` changes last.
void WriteRing(TStorage& storage, const TRing& ring, uint32_t offset, const uint8_t* data,
               size_t count);

}  // namespace corvane::evt::layout
