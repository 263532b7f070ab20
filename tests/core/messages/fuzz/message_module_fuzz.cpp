// Fuzz target: message modules read from their files' bytes. Whatever the bytes, the reader
// either leaves the module to the system or hands out tables whose every message can be found
// and read to its terminator inside the table (the address sanitizer watches the reads); it
// never raises.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/MessageModule.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const TModuleMessages module = TModuleMessages::Read(std::span<const uint8_t>(data, size));
  const uint16_t order[] = {0, 0x0409};
  if (const TMessageTable* table = module.Choose(order)) {
    size_t total = 0;
    for (uint32_t id = 0; id < 64; ++id) {
      if (const auto entry = table->Find(id)) {
        for (uint8_t byte : entry->text) total += byte;
        total += entry->text.data()[entry->text.size()];  // the terminator follows the text
      }
    }
    volatile size_t sink = total;
    (void)sink;
  }
  return 0;
}
