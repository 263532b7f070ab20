// Fuzz target: raw record blocks as the reading call delivers them. Every accepted record must
// lie inside the delivered bytes with all its parts; items loaded from it must hold the same
// values; refusals must be the library's own error.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/EventItem.h"
#include "core/RawRecord.h"
#include "framework/OleSysError.h"

using namespace corvane;

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

bool Inside(const void* part, size_t size, const uint8_t* begin, size_t length) {
  const auto* p = static_cast<const uint8_t*>(part);
  return size == 0 || (p >= begin && p + size <= begin + length);
}

void CheckRecord(const uint8_t* bytes, size_t available) {
  TRawRecord r;
  try {
    r = DecodeRawRecord(bytes, available);
  } catch (const EOleSysError& e) {
    Require(e.ErrorCode() == kSystemErrorCode);
    Require(std::strncmp(e.what(), "1500: ", 6) == 0);
    return;
  }
  Require(r.Length >= kRawRecordFixedSize && r.Length <= available);
  Require(Inside(r.SourceName.data(), r.SourceName.size() + 1, bytes, r.Length));
  Require(Inside(r.ComputerName.data(), r.ComputerName.size() + 1, bytes, r.Length));
  for (std::string_view s : r.Strings) {
    Require(Inside(s.data(), s.size() + 1, bytes, r.Length));
    Require(s.data()[s.size()] == 0);
  }
  Require(Inside(r.Sid.data(), r.Sid.size(), bytes, r.Length));
  Require(Inside(r.Data.data(), r.Data.size(), bytes, r.Length));
  SidFitsBuffer(r.Sid.data(), r.Sid.size());

  TEventItem item(nullptr);
  item.LoadFromRecord(bytes, available);
  Require(item.StringCount() == static_cast<int>(r.Strings.size()));
  for (int i = 0; i < item.StringCount(); ++i) {
    Require(item.StringAt(i) == r.Strings[static_cast<size_t>(i)]);
  }
  Require(item.DataLength() == static_cast<int32_t>(r.Data.size()));
  Require(item.SidLength() == static_cast<int32_t>(r.Sid.size()));
  Require(item.DataLength() == 0 || std::memcmp(item.Data(), r.Data.data(), r.Data.size()) == 0);
  TEventItem copy(nullptr);
  copy.Assign(item);
  copy.DataBytes().Add(0);
  Require(copy.DataBytes().Count() == item.DataLength() + 1);
  // The copy's strings, made into its list, are the record's.
  Require(copy.Strings().Count() == item.StringCount());
  for (int i = 0; i < item.StringCount(); ++i) Require(copy.Strings()[i] == item.StringAt(i));
  try {
    copy.DataBytes().Item(copy.DataBytes().Count());
    std::abort();
  } catch (const EOleSysError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A block of records back to back, stepped through by each one's Length as the reader does.
  size_t offset = 0;
  for (int n = 0; n < 64 && offset < size; ++n) {
    CheckRecord(data + offset, size - offset);
    uint32_t length = 0;
    if (size - offset < 4) break;
    std::memcpy(&length, data + offset, 4);
    if (length < kRawRecordFixedSize) break;
    offset += length;
  }
  return 0;
}
