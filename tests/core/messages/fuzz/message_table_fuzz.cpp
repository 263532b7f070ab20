// Fuzz target: message-table resources. A table the check accepts is then walked the way the
// system's formatter walks it, trusting every offset and length and reading each text up to its
// terminator, so any read the check let through outside the table is caught by the address
// sanitizer; refusals must be the library's own error.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/MessageTable.h"
#include "framework/OleSysError.h"

using namespace corvane;

namespace {

uint32_t Read32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

uint16_t Read16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

// The formatter's walk to every message, with a trusting text length at each.
size_t WalkAll(const uint8_t* table) {
  size_t total = 0;
  const uint32_t blocks = Read32(table);
  for (uint32_t b = 0; b < blocks; ++b) {
    const uint8_t* block = table + 4 + size_t{b} * 12;
    const uint8_t* entry = table + Read32(block + 8);
    for (uint64_t id = Read32(block); id <= Read32(block + 4); ++id) {
      const uint8_t* text = entry + 4;
      if (Read16(entry + 2) & 1) {
        while (text[0] != 0 || text[1] != 0) text += 2, ++total;
      } else {
        total += std::strlen(reinterpret_cast<const char*>(text));
      }
      entry += Read16(entry);
    }
  }
  return total;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly `size` bytes, so that the sanitizer marks the first byte past the table.
  auto* table = static_cast<uint8_t*>(std::malloc(size ? size : 1));
  if (size) std::memcpy(table, data, size);
  try {
    CheckMessageTable(table, size);
    volatile size_t sink = WalkAll(table);
    (void)sink;
  } catch (const EOleSysError& e) {
    if (e.ErrorCode() != kSystemErrorCode) std::abort();
  }
  std::free(table);
  return 0;
}
