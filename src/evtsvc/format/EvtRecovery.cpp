#include "EvtRecovery.h"

#include <algorithm>
#include <functional>
#include <tuple>
#include <vector>

#include "EvtBytes.h"

namespace corvane::evt::recovery {
namespace {

using layout::Extent;
using layout::TRing;

// A file full of end-of-file markers must not cost a walk for each of them.
constexpr size_t kMaxScanCandidates = 32;
constexpr size_t kScanChunk = 64 * 1024;

// Which of two extents is newer: the one with more records written, then the one that dropped
// more of its oldest. An empty extent has dropped everything before its next record.
auto Newness(const Extent& extent) {
  return std::tuple(extent.current, extent.oldest == 0 ? extent.current : extent.oldest);
}

std::optional<Extent> EofAt(const TRing& ring, uint32_t offset) {
  uint8_t bytes[kEofRecordSize];
  ring.Read(offset, bytes, sizeof bytes);
  auto eof = layout::DecodeEof(bytes);
  if (!eof || eof->end != offset) return std::nullopt;
  return eof;
}

// Follows record lengths from `from` until an end-of-file record; never further than the ring.
std::optional<Extent> FindEofAfter(const TRing& ring, uint32_t from) {
  uint32_t offset = from;
  uint64_t walked = 0;
  while (walked + kEofRecordSize <= ring.capacity()) {
    if (auto eof = EofAt(ring, offset)) return eof;
    const uint32_t room = ring.capacity() - static_cast<uint32_t>(walked) - kEofRecordSize;
    uint32_t length = FrameAt(ring, offset, room, std::nullopt);
    if (length == 0) length = PaddingAt(ring, offset, room);
    if (length == 0) return std::nullopt;
    offset = ring.Advance(offset, length);
    walked += length;
  }
  return std::nullopt;
}

// Every end-of-file record in the ring, newest first, at most kMaxScanCandidates of them.
std::vector<Extent> ScanForEofs(const TRing& ring) {
  std::vector<Extent> found;
  auto keep = [&](uint32_t offset) {
    if (auto eof = EofAt(ring, offset)) found.push_back(*eof);
    if (found.size() > 2 * kMaxScanCandidates) {
      std::sort(found.begin(), found.end(),
                [](const Extent& a, const Extent& b) { return Newness(a) > Newness(b); });
      found.resize(kMaxScanCandidates);
    }
  };
  uint8_t marker[layout::kEofMarkerSize];
  std::copy_n(layout::EncodeEof({}).begin(), sizeof marker, marker);
  const std::boyer_moore_horspool_searcher search(std::begin(marker), std::end(marker));

  // Markers wholly before the end of the file, in overlapping chunks...
  std::vector<uint8_t> chunk;
  for (uint64_t at = kHeaderSize; at + sizeof marker <= ring.fileSize();) {
    const size_t size = static_cast<size_t>(std::min<uint64_t>(kScanChunk, ring.fileSize() - at));
    chunk.resize(size);
    ring.Read(static_cast<uint32_t>(at), chunk.data(), size);
    for (auto it = chunk.begin();;) {
      it = std::search(it, chunk.end(), search);
      if (it == chunk.end()) break;
      keep(static_cast<uint32_t>(at + (it - chunk.begin())));
      ++it;
    }
    if (at + size >= ring.fileSize()) break;
    at += size - (sizeof marker - 1);
  }
  // ...and those split by the wrap point.
  for (uint32_t back = 1; back < sizeof marker && back < ring.capacity(); ++back) {
    keep(ring.fileSize() - back);
  }
  std::sort(found.begin(), found.end(),
            [](const Extent& a, const Extent& b) { return Newness(a) > Newness(b); });
  found.erase(std::unique(found.begin(), found.end()), found.end());
  if (found.size() > kMaxScanCandidates) found.resize(kMaxScanCandidates);
  return found;
}

// Whether `known`'s offsets still mean the same in `ring`: the same file size, or a file that
// grew while its records did not wrap.
bool Reusable(const TRing& ring, const View& known) {
  if (known.extent.oldest == 0) return false;
  if (known.fileSize == ring.fileSize()) return true;
  return known.fileSize < ring.fileSize() && known.extent.start < known.extent.end &&
         known.extent.end + kEofRecordSize <= known.fileSize;
}

std::optional<View> WalkFrom(const TRing& ring, const Extent& extent, View view, uint32_t offset,
                             uint32_t number) {
  const uint32_t total = ring.Distance(extent.start, extent.end);
  uint32_t walked = ring.Distance(extent.start, offset);
  while (walked < total) {
    const uint32_t length = FrameAt(ring, offset, total - walked, number);
    if (length != 0) {
      view.offsets.push_back(offset);
      ++number;
    } else if (const uint32_t padding = PaddingAt(ring, offset, total - walked)) {
      offset = kHeaderSize;
      walked += padding;
      continue;
    } else {
      return std::nullopt;
    }
    offset = ring.Advance(offset, length);
    walked += length;
  }
  if (number != extent.current) return std::nullopt;
  return view;
}

}  // namespace

uint32_t PaddingAt(const TRing& ring, uint32_t offset, uint32_t room) {
  const uint32_t tail = ring.fileSize() - offset;
  if (offset == kHeaderSize || tail > room) return 0;
  if (tail < kMinRecordSize) return tail;
  // A larger tail must be all filler, so that a damaged record is not taken for one. Read in
  // pieces: after damage the tail may be most of the file.
  std::vector<uint8_t> bytes(std::min<uint32_t>(tail, kScanChunk));
  const uint8_t first = static_cast<uint8_t>(ring.Read32(offset));
  if (first != 0 && first != kPaddingByte) return 0;
  for (uint32_t done = 0; done < tail;) {
    const uint32_t size = std::min<uint32_t>(tail - done, static_cast<uint32_t>(bytes.size()));
    ring.Read(offset + done, bytes.data(), size);
    for (uint32_t i = 0; i < size; ++i) {
      const uint8_t want = (done + i) % 4 == 0 ? first : 0;
      if (bytes[i] != want) return 0;
    }
    done += size;
  }
  return tail;
}

uint32_t FrameAt(const TRing& ring, uint32_t offset, uint32_t room,
                 std::optional<uint32_t> number) {
  if (room < kMinRecordSize) return 0;
  uint8_t head[12];
  ring.Read(offset, head, sizeof head);
  const uint32_t length = bytes::Load32(head);
  if (length < kMinRecordSize || length % 4 != 0 || length > room) return 0;
  if (bytes::Load32(head + 4) != kRecordSignature) return 0;
  if (number && bytes::Load32(head + 8) != *number) return 0;
  if (ring.Read32(ring.Advance(offset, length - 4)) != length) return 0;
  return length;
}

std::optional<View> Walk(const TRing& ring, const Extent& extent, const View* known) {
  if (!ring.Holds(extent.start) || !ring.Holds(extent.end)) return std::nullopt;
  View view;
  view.fileSize = ring.fileSize();
  view.extent = extent;
  if (extent.start == extent.end) {
    view.extent.oldest = 0;
    return view;
  }
  if (extent.oldest == 0) return std::nullopt;
  if (uint64_t{ring.Distance(extent.start, extent.end)} + kEofRecordSize > ring.capacity()) {
    return std::nullopt;
  }
  if (known && Reusable(ring, *known)) {
    const auto& old = known->extent;
    const uint32_t index = extent.oldest - old.oldest;
    const uint32_t reach = ring.Distance(extent.start, old.end);
    if (index < known->offsets.size() && known->offsets[index] == extent.start && reach != 0 &&
        reach <= ring.Distance(extent.start, extent.end)) {
      View reused = view;
      reused.offsets.assign(known->offsets.begin() + index, known->offsets.end());
      if (auto walked = WalkFrom(ring, extent, std::move(reused), old.end, old.current)) {
        return walked;
      }
    }
  }
  return WalkFrom(ring, extent, std::move(view), extent.start, extent.oldest);
}

View Recover(const TRing& ring, const Header& header, const View* known) {
  const Extent stated = layout::ExtentOf(header);
  std::optional<View> best = Walk(ring, stated, known);
  auto consider = [&](const Extent& extent) -> bool {
    if (best && best->extent == extent) return true;
    // A view checked a moment ago spares walking the same records twice.
    auto view = Walk(ring, extent, best ? &*best : known);
    if (!view) return false;
    if (!best || Newness(view->extent) >= Newness(best->extent)) best = std::move(view);
    return true;
  };

  std::optional<Extent> eof;
  if (ring.Holds(header.endOffset)) eof = FindEofAfter(ring, header.endOffset);
  if (!eof || !consider(*eof)) {
    for (const Extent& candidate : ScanForEofs(ring)) {
      if (consider(candidate)) break;
    }
  }
  if (!best) throw TCorruptLog("the event log's records are damaged");
  return std::move(*best);
}

}  // namespace corvane::evt::recovery
