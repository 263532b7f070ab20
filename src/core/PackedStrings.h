// A fixed list of strings packed into one heap block: the count, where each string ends, then
// the texts, each followed by a NUL. The event-log component caches one item per record read,
// hundreds of thousands of them for a large log; a vector of strings costs a 32-byte slot per
// string plus a block of its own for every text too long to be held in place, where one block
// holds the same in about 60% of the bytes. No block at all for no strings.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace corvane {

class TPackedStrings {
 public:
  TPackedStrings() = default;
  // Copies the texts; embedded NULs are kept, since each string's length is stored.
  explicit TPackedStrings(std::span<const std::string_view> strings);

  int Count() const { return block_ ? static_cast<int>(block_[0]) : 0; }
  // An index outside 0..Count-1 raises "List index out of bounds (n)". A NUL follows the text,
  // so data() also serves where a C string is wanted.
  std::string_view Get(int index) const;

 private:
  // [0] the count, [1..count] the offset of each string's terminating NUL from the first text
  // byte, then the texts. 32-bit words keep the offsets aligned.
  std::unique_ptr<uint32_t[]> block_;
};

}  // namespace corvane
