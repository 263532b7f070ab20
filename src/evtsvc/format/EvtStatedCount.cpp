// The record count a clean file states for itself, read without walking its records.
#include "EvtFile.h"
#include "EvtLayout.h"
#include "EvtRecovery.h"

namespace corvane::evt {

std::optional<uint32_t> StatedCount(const TStorage& storage) {
  const uint64_t size = storage.Size();
  if (size < kHeaderSize + kEofRecordSize || size > UINT32_MAX) return std::nullopt;
  std::array<uint8_t, kHeaderSize> raw;
  storage.Read(0, raw.data(), raw.size());
  Header header;
  try {
    header = layout::DecodeHeader(raw.data());
  } catch (const TCorruptLog&) {
    return std::nullopt;
  }
  if (header.flags & kFlagDirty) return std::nullopt;
  const layout::TRing ring(storage, static_cast<uint32_t>(size));
  const layout::Extent stated = layout::ExtentOf(header);
  if (!ring.Holds(stated.start) || !ring.Holds(stated.end)) return std::nullopt;
  std::array<uint8_t, kEofRecordSize> eof;
  ring.Read(stated.end, eof.data(), eof.size());
  if (layout::DecodeEof(eof.data()) != stated) return std::nullopt;
  if (stated.oldest == 0) return stated.start == stated.end ? std::optional<uint32_t>(0) : std::nullopt;

  // The oldest record must start where the header says, and the newest end just before the
  // end-of-file record, each with the number the header gives it.
  const uint32_t used = ring.Distance(stated.start, stated.end);
  const uint32_t count = stated.current - stated.oldest;
  if (stated.current <= stated.oldest || uint64_t{count} * kMinRecordSize > used) return std::nullopt;
  if (recovery::FrameAt(ring, stated.start, used, stated.oldest) == 0) return std::nullopt;
  const uint32_t newestLength = ring.Read32(ring.Advance(stated.end, ring.capacity() - 4));
  if (newestLength < kMinRecordSize || newestLength > used) return std::nullopt;
  const uint32_t newest = ring.Advance(stated.end, ring.capacity() - newestLength);
  if (recovery::FrameAt(ring, newest, newestLength, stated.current - 1) == 0) return std::nullopt;
  return count;
}

}  // namespace corvane::evt
