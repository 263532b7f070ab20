#include "RecordView.h"

namespace corvane::cli {
namespace {

uint32_t Load32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Load16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

}  // namespace

TRecordHead HeadOf(const uint8_t* bytes, size_t size) {
  TRecordHead head;
  head.recordNumber = Load32(bytes + 8);
  head.generated = Load32(bytes + 12);
  head.eventId = Load32(bytes + 20);
  head.type = Load16(bytes + 24);
  head.category = Load16(bytes + 28);
  const uint32_t sidLength = Load32(bytes + 40), sidOffset = Load32(bytes + 44);
  if (sidLength != 0 && sidOffset >= kRecordHeadSize && sidOffset <= size &&
      sidLength <= size - sidOffset) {
    head.sid = std::span<const uint8_t>(bytes + sidOffset, sidLength);
  }
  return head;
}

}  // namespace corvane::cli
