#include "core/PackedStrings.h"

#include <cstring>
#include <limits>

#include "framework/ClassError.h"

namespace corvane {

TPackedStrings::TPackedStrings(std::span<const std::string_view> strings) {
  if (strings.empty()) return;
  uint64_t textBytes = 0;
  for (std::string_view s : strings) textBytes += s.size() + 1;
  // Offsets are 32-bit: far beyond any record, reachable only by a list built by hand.
  if (textBytes > std::numeric_limits<uint32_t>::max() ||
      strings.size() > std::numeric_limits<int>::max()) {
    RaiseClassError("Too many or too long strings to keep for one event");
  }
  const size_t count = strings.size();
  const size_t words = 1 + count + (static_cast<size_t>(textBytes) + 3) / 4;
  auto block = std::make_unique_for_overwrite<uint32_t[]>(words);
  block[words - 1] = 0;  // the padding after the last NUL is never read, but stays defined
  block[0] = static_cast<uint32_t>(count);
  char* text = reinterpret_cast<char*>(block.get() + 1 + count);
  uint32_t offset = 0;
  for (size_t i = 0; i < count; ++i) {
    const std::string_view s = strings[i];
    if (!s.empty()) std::memcpy(text + offset, s.data(), s.size());
    offset += static_cast<uint32_t>(s.size());
    text[offset] = '\0';
    block[1 + i] = offset;
    ++offset;
  }
  block_ = std::move(block);
}

std::string_view TPackedStrings::Get(int index) const {
  const int count = Count();
  if (index < 0 || index >= count) RaiseListIndexError(index);
  const uint32_t* ends = block_.get() + 1;
  const char* text = reinterpret_cast<const char*>(ends + count);
  const uint32_t start = index == 0 ? 0 : ends[index - 1] + 1;
  return {text + start, ends[index] - start};
}

}  // namespace corvane
