#include "core/MessageTable.h"

#include <string>
#include <utility>

#include "framework/OleSysError.h"

namespace corvane {
namespace {

constexpr size_t kBlockSize = 12;       // lowest id, highest id, offset of the first entry
constexpr size_t kEntryHeaderSize = 4;  // length (header included), flags

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

uint32_t Read32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

[[noreturn]] void Refuse(const std::string& what) {
  throw EOleSysError("The message table is damaged: " + what + ".", kSystemErrorCode);
}

// The length of the text before its terminator, or none when it has none.
std::optional<size_t> TextLength(const uint8_t* text, size_t size, bool wide) {
  if (!wide) {
    for (size_t i = 0; i < size; ++i)
      if (text[i] == 0) return i;
    return std::nullopt;
  }
  for (size_t i = 0; i + 1 < size; i += 2)
    if (text[i] == 0 && text[i + 1] == 0) return i;
  return std::nullopt;
}

// Walks every block and entry the way the formatter may, refusing what it could not walk
// safely; `visit(block, low, high)` is told of each block and `entry(offset)` of each entry.
template <typename VisitBlock, typename VisitEntry>
void Walk(const uint8_t* bytes, size_t size, VisitBlock&& visitBlock, VisitEntry&& visitEntry) {
  if (size < 4) Refuse("it holds no block count");
  const uint32_t blocks = Read32(bytes);
  // 64-bit sums from here on: no offset plus length can wrap.
  if (4 + uint64_t{blocks} * kBlockSize > size)
    Refuse(std::to_string(blocks) + " blocks do not fit in " + std::to_string(size) + " bytes");
  // Entries of sound blocks do not share bytes, so no more of them than this fit in the table;
  // counting against it keeps the walk linear however the blocks overlap.
  uint64_t entriesLeft = size / kEntryHeaderSize;
  for (uint32_t b = 0; b < blocks; ++b) {
    const uint8_t* block = bytes + 4 + size_t{b} * kBlockSize;
    const uint32_t low = Read32(block), high = Read32(block + 4);
    const std::string name = "block " + std::to_string(b + 1);
    if (high < low) Refuse(name + " ends below where it starts");
    const uint64_t entries = uint64_t{high} - low + 1;
    if (entries > entriesLeft) Refuse(name + " claims more entries than the table can hold");
    entriesLeft -= entries;
    visitBlock(low, high);
    uint64_t offset = Read32(block + 8);
    for (uint64_t e = 0; e < entries; ++e) {
      const auto refuseEntry = [&](const char* what) {
        Refuse("the entry of message " + std::to_string(low + e) + " in " + name + " " + what);
      };
      if (offset + kEntryHeaderSize > size) refuseEntry("lies outside the table");
      const uint16_t length = Read16(bytes + offset);
      const uint16_t flags = Read16(bytes + offset + 2);
      if (length < kEntryHeaderSize) refuseEntry("is shorter than its header");
      if (offset + length > size) refuseEntry("runs past the end of the table");
      if (!TextLength(bytes + offset + kEntryHeaderSize, length - kEntryHeaderSize,
                      (flags & kMessageTextUnicode) != 0))
        refuseEntry("has no terminator");
      visitEntry(static_cast<uint32_t>(offset));
      offset += length;
    }
  }
}

}  // namespace

void CheckMessageTable(const void* table, size_t size) {
  Walk(static_cast<const uint8_t*>(table), size, [](uint32_t, uint32_t) {}, [](uint32_t) {});
}

TMessageTable::TMessageTable(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {
  Walk(
      bytes_.data(), bytes_.size(),
      [&](uint32_t low, uint32_t high) { blocks_.push_back({low, high, offsets_.size()}); },
      [&](uint32_t offset) { offsets_.push_back(offset); });
}

std::optional<TMessageTable::TEntry> TMessageTable::Find(uint32_t id) const {
  for (const TBlock& block : blocks_) {
    if (id < block.low || id > block.high) continue;
    const uint8_t* entry = bytes_.data() + offsets_[block.first + (id - block.low)];
    TEntry found;
    found.flags = Read16(entry + 2);
    const uint8_t* text = entry + kEntryHeaderSize;
    const size_t room = Read16(entry) - kEntryHeaderSize;
    found.text = {text, *TextLength(text, room, (found.flags & kMessageTextUnicode) != 0)};
    return found;
  }
  return std::nullopt;
}

}  // namespace corvane
