// Fuzz target: saved states of a component. A refused stream must be refused with the stream
// error and leave the component untouched; an accepted one must save and restore to itself.
// With the first input byte odd the checksum is made to match, so that mutations reach the
// structure behind it.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "StreamProbe.h"
#include "framework/OleSysError.h"

using namespace corvane;
using namespace corvane::stream_test;

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::vector<uint8_t> stream(data + 1, data + size);
  if (data[0] & 1) Reseal(stream);

  TProbe target;
  target.machine = "\\\\BEFORE";
  target.logon.user = "before";
  const std::vector<uint8_t> before = WritePropertyStream(target);
  try {
    ReadPropertyStream(target, stream);
  } catch (const EOleSysError& e) {
    Require(e.ErrorCode() == kPropertyStreamCorrupt);
    Require(WritePropertyStream(target) == before);
    Require(target.loaded == 0 && !target.IsReading());
    return 0;
  }
  Require(target.loaded == 1 && !target.IsReading());
  const std::vector<uint8_t> saved = WritePropertyStream(target);
  TProbe copy;
  ReadPropertyStream(copy, saved);
  Require(WritePropertyStream(copy) == saved);
  return 0;
}
