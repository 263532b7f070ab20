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
// grew while its records did not wrap. A salvaged view is walked again.
bool Reusable(const TRing& ring, const View& known) {
  if (known.extent.oldest == 0 || !known.gaps.empty()) return false;
  if (known.fileSize == ring.fileSize()) return true;
  return known.fileSize < ring.fileSize() && known.extent.start < known.extent.end &&
         known.extent.end + kEofRecordSize <= known.fileSize;
}

// Whether a record numbered `number` that ends at `at`, `room` bytes before the end of the
// extent, ends the records or is followed by one numbered higher but below `end`.
bool Continued(const TRing& ring, uint32_t at, uint32_t room, uint32_t number, uint32_t end) {
  if (room == 0 || PaddingAt(ring, at, room) != 0) return true;
  if (FrameAt(ring, at, room, std::nullopt) == 0) return false;
  const uint32_t next = ring.Read32(ring.Advance(at, 8));
  return next - number - 1 < end - number - 1;
}

// The first record frame at `offset` or after it, within `room` bytes, found by its signature and
// checked as FrameAt checks it, numbered from `first` on but below `end`. The numbers passed
// over must be records that the bytes skipped could have held, or the frame must be followed by
// a higher-numbered one: so a copy that left records out (no bytes for them) still reads, while a
// damaged number is not believed. Returns its distance from `offset`; nothing when there is none.
std::optional<uint32_t> NextFrame(const TRing& ring, uint32_t offset, uint32_t room,
                                  uint32_t first, uint32_t end) {
  std::vector<uint8_t> chunk;
  // Each chunk reads 8 bytes beyond its share, for a signature that starts in its last word.
  for (uint32_t base = 0; base + kMinRecordSize <= room; base += kScanChunk) {
    const uint32_t size = static_cast<uint32_t>(std::min<uint64_t>(kScanChunk + 8, room - base));
    chunk.resize(size);
    ring.Read(ring.Advance(offset, base), chunk.data(), size);
    for (uint32_t i = 0; i < kScanChunk && i + 8 <= size; i += 4) {
      if (bytes::Load32(&chunk[i + 4]) != kRecordSignature) continue;
      const uint32_t distance = base + i;
      const uint32_t at = ring.Advance(offset, distance);
      const uint32_t length = FrameAt(ring, at, room - distance, std::nullopt);
      if (length == 0) continue;
      // In 32 bits, so that a log whose numbers ran up to the last one (`end` 0) is covered.
      const uint32_t number = ring.Read32(ring.Advance(at, 8));
      if (number - first >= end - first) continue;
      if (uint64_t{number - first} * kMinRecordSize <= distance ||
          Continued(ring, ring.Advance(at, length), room - distance - length, number, end)) {
        return distance;
      }
    }
  }
  return std::nullopt;
}

// Walks the records from `offset`, numbered from `number`, to the end of `extent`, adding them
// to `view`. A frame that does not follow ends the walk, or, with `salvage`, is passed over to
// the next frame NextFrame finds, its numbers becoming a gap.
std::optional<View> WalkFrom(const TRing& ring, const Extent& extent, View view, uint32_t offset,
                             uint32_t number, bool salvage) {
  const uint32_t total = ring.Distance(extent.start, extent.end);
  uint32_t walked = ring.Distance(extent.start, offset);
  uint32_t skipped = 0;
  while (walked < total) {
    // Salvaged records are numbered below the extent's next number, as whole ones are.
    if (salvage && number - extent.oldest >= extent.current - extent.oldest) break;
    const uint32_t length = FrameAt(ring, offset, total - walked, number);
    if (length != 0) {
      view.offsets.push_back(offset);
      ++number;
    } else if (const uint32_t padding = PaddingAt(ring, offset, total - walked)) {
      offset = kHeaderSize;
      walked += padding;
      continue;
    } else if (!salvage) {
      return std::nullopt;
    } else {
      const std::optional<uint32_t> distance =
          NextFrame(ring, offset, total - walked, number, extent.current);
      // The records lost at the end are left out.
      if (!distance) break;
      offset = ring.Advance(offset, *distance);
      walked += *distance;
      const uint32_t next = ring.Read32(ring.Advance(offset, 8));
      if (next != number) {
        skipped += next - number;
        view.gaps.push_back({static_cast<uint32_t>(view.offsets.size()), skipped});
        number = next;
      }
      continue;
    }
    offset = ring.Advance(offset, length);
    walked += length;
  }
  if (salvage) return view.offsets.empty() ? std::nullopt : std::optional<View>(std::move(view));
  if (number != extent.current) return std::nullopt;
  return view;
}

// Whether `extent` holds records that fit the ring.
bool Fits(const TRing& ring, const Extent& extent) {
  return ring.Holds(extent.start) && ring.Holds(extent.end) && extent.oldest != 0 &&
         uint64_t{ring.Distance(extent.start, extent.end)} + kEofRecordSize <= ring.capacity();
}

// Whether `view` holds every record of `base`, where `base` has it.
bool Extends(const View& view, const View& base) {
  for (uint32_t i = 0; i < base.offsets.size(); ++i) {
    const std::optional<uint32_t> index = IndexOf(view, NumberAt(base, i));
    if (!index || view.offsets[*index] != base.offsets[i]) return false;
  }
  return true;
}

}  // namespace

uint32_t NumberAt(const View& view, uint32_t index) {
  const auto after = std::upper_bound(view.gaps.begin(), view.gaps.end(), index,
                                      [](uint32_t i, const Gap& gap) { return i < gap.index; });
  const uint32_t skipped = after == view.gaps.begin() ? 0 : std::prev(after)->skipped;
  return view.extent.oldest + index + skipped;
}

std::optional<uint32_t> IndexOf(const View& view, uint32_t number) {
  if (number < view.extent.oldest) return std::nullopt;
  const uint32_t fromOldest = number - view.extent.oldest;
  // The last gap whose first record is not beyond `number`.
  const auto after = std::upper_bound(
      view.gaps.begin(), view.gaps.end(), fromOldest,
      [](uint32_t n, const Gap& gap) { return n < uint64_t{gap.index} + gap.skipped; });
  const uint32_t skipped = after == view.gaps.begin() ? 0 : std::prev(after)->skipped;
  const uint32_t index = fromOldest - skipped;
  const uint64_t limit = after == view.gaps.end() ? view.offsets.size() : after->index;
  if (index >= limit) return std::nullopt;
  return index;
}

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
  View view;
  view.fileSize = ring.fileSize();
  view.extent = extent;
  if (extent.start == extent.end && ring.Holds(extent.start)) {
    view.extent.oldest = 0;
    return view;
  }
  if (!Fits(ring, extent)) return std::nullopt;
  if (known && Reusable(ring, *known)) {
    const auto& old = known->extent;
    const uint32_t index = extent.oldest - old.oldest;
    const uint32_t reach = ring.Distance(extent.start, old.end);
    if (index < known->offsets.size() && known->offsets[index] == extent.start && reach != 0 &&
        reach <= ring.Distance(extent.start, extent.end)) {
      View reused = view;
      reused.offsets.assign(known->offsets.begin() + index, known->offsets.end());
      if (auto walked = WalkFrom(ring, extent, std::move(reused), old.end, old.current, false)) {
        return walked;
      }
    }
  }
  return WalkFrom(ring, extent, std::move(view), extent.start, extent.oldest, false);
}

std::optional<View> Salvage(const TRing& ring, const Extent& extent) {
  if (extent.start == extent.end || !Fits(ring, extent)) return std::nullopt;
  // Numbers never go round (a next number of 0 means they ran out): the numbers between the
  // oldest and the next are those of the records.
  if (extent.current != 0 && extent.current <= extent.oldest) return std::nullopt;
  View view;
  view.fileSize = ring.fileSize();
  view.extent = extent;
  return WalkFrom(ring, extent, std::move(view), extent.start, extent.oldest, true);
}

View Recover(const TRing& ring, const Header& header, const View* known, bool salvage) {
  const Extent stated = layout::ExtentOf(header);
  std::optional<View> best = Walk(ring, stated, known);
  std::vector<Extent> failed;
  if (!best) failed.push_back(stated);
  auto consider = [&](const Extent& extent) -> bool {
    if (best && best->extent == extent) return true;
    // A view checked a moment ago spares walking the same records twice.
    auto view = Walk(ring, extent, best ? &*best : known);
    if (!view) {
      if (std::find(failed.begin(), failed.end(), extent) == failed.end()) failed.push_back(extent);
      return false;
    }
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
  if (salvage) {
    std::sort(failed.begin(), failed.end(),
              [](const Extent& a, const Extent& b) { return Newness(a) > Newness(b); });
    for (const Extent& extent : failed) {
      if (best && Newness(extent) <= Newness(best->extent)) break;
      // Salvage may add records to those that walk cleanly, never take one of them away.
      auto view = Salvage(ring, extent);
      if (view && (!best || Extends(*view, *best))) {
        best = std::move(view);
        break;
      }
    }
  }
  if (!best) throw TCorruptLog("the event log's records are damaged");
  return std::move(*best);
}

}  // namespace corvane::evt::recovery
