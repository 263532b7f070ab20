#include "core/MessageTable.h"

#include <cstdint>
#include <string>

#include "framework/OleSysError.h"

namespace corvane {
namespace {

constexpr size_t kBlockSize = 12;       // lowest id, highest id, offset of the first entry
constexpr size_t kEntryHeaderSize = 4;  // length (header included), flags
constexpr uint16_t kUnicodeText = 0x0001;

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

uint32_t Read32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

[[noreturn]] void Refuse(const std::string& what) {
  throw EOleSysError("The message table is damaged: " + what + ".", kSystemErrorCode);
}

bool TextEnds(const uint8_t* text, size_t size, bool wide) {
  if (!wide) {
    for (size_t i = 0; i < size; ++i)
      if (text[i] == 0) return true;
    return false;
  }
  for (size_t i = 0; i + 1 < size; i += 2)
    if (text[i] == 0 && text[i + 1] == 0) return true;
  return false;
}

}  // namespace

void CheckMessageTable(const void* table, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(table);
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
      if (!TextEnds(bytes + offset + kEntryHeaderSize, length - kEntryHeaderSize,
                    (flags & kUnicodeText) != 0))
        refuseEntry("has no terminator");
      offset += length;
    }
  }
}

}  // namespace corvane
