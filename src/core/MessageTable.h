// The message-table resource of a message module, checked before anything walks it: the
// system's formatter trusts every offset and length it finds, so a damaged or hostile module
// would make it read outside the resource and fault inside the host. Plain standard C++ so that
// the sanitizers and the fuzzer reach it natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace corvane {

// Checks the table of `size` bytes at `table`: the block array, and in every block each entry
// from the lowest identifier to the highest, must lie inside the table, every entry must be
// long enough to hold its own header, and every text must end (in its own width) inside its
// entry. A table that fails raises EOleSysError whose message says which part is wrong.
// Nothing outside the `size` bytes is read, and the work is linear in `size`.
void CheckMessageTable(const void* table, size_t size);

// Entry flags: the text is UTF-16LE; without it, 8-bit text in the ANSI code page.
constexpr uint16_t kMessageTextUnicode = 0x0001;

// A table that passed the check, kept to look messages up in.
class TMessageTable {
 public:
  // Raises what CheckMessageTable raises.
  explicit TMessageTable(std::vector<uint8_t> bytes);

  struct TEntry {
    uint16_t flags = 0;
    // The text up to its terminator, which follows it in the table: 8-bit text can be used
    // in place as a C string. Valid as long as the table.
    std::span<const uint8_t> text;
  };
  // Message `id` as the system finds it: in the first block whose range holds the identifier.
  std::optional<TEntry> Find(uint32_t id) const;

 private:
  struct TBlock {
    uint32_t low = 0;
    uint32_t high = 0;
    size_t first = 0;  // index of its lowest entry in offsets_
  };
  std::vector<uint8_t> bytes_;
  std::vector<TBlock> blocks_;
  std::vector<uint32_t> offsets_;  // every entry of every block, block by block
};

}  // namespace corvane
