#include "RecordView.h"

#include "EvtBytes.h"

namespace corvane::cli {

using evt::bytes::Load16;
using evt::bytes::Load32;

TRecordHead HeadOf(const uint8_t* bytes, size_t size) {
  TRecordHead head;
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
