// Finding where a log's records really are. Records follow one another around the ring; one may
// run past the end of the file and go on after the header, or the end of the file may be left as
// padding with the next record after the header. A header is only current while its dirty flag
// is clear; the end-of-file record after the newest record is rewritten with every event, so the
// log's true extent is found by walking from the header's end offset to that record. Each
// candidate extent is accepted only when its records walk cleanly from the oldest to the
// end-of-file record, numbered one after another.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "EvtLayout.h"

namespace corvane::evt::recovery {

// Record numbers that a salvaging walk found no record for: the records from offsets[index] on
// are numbered `skipped` higher than the position alone says (this gap's numbers and those of
// the gaps before it).
struct Gap {
  uint32_t index = 0;
  uint32_t skipped = 0;
};

// The records of a log as one walk found them.
struct View {
  layout::Extent extent;
  std::deque<uint32_t> offsets;  // offsets[i]: record number NumberAt(*this, i)
  uint32_t fileSize = 0;         // the ring these offsets belong to
  std::vector<Gap> gaps;         // ascending; empty when the records walked cleanly
};

// The number of the record at offsets[index]: extent.oldest + index, past the gaps before it.
uint32_t NumberAt(const View& view, uint32_t index);
// Where record `number` is in view.offsets, or nothing when the view has no such record.
std::optional<uint32_t> IndexOf(const View& view, uint32_t number);

// Checks the frame of the record at `offset`, which must end within `room` bytes: both length
// fields, the signature and, when given, its number. Returns its length, or 0 when it is not a
// record.
uint32_t FrameAt(const layout::TRing& ring, uint32_t offset, uint32_t room,
                 std::optional<uint32_t> number);

// Bytes at the end of the file that hold no record, where the records go on after the header:
// the whole tail from `offset` when it is too short for a record, or when it is all zero or all
// 0x00000027 words (what writers fill it with), and it lies within `room`. 0 when it is not.
uint32_t PaddingAt(const layout::TRing& ring, uint32_t offset, uint32_t room);
constexpr uint8_t kPaddingByte = 0x27;

// Walks the records of `extent`. `known`, an earlier view of the same file, lets the walk take
// the records it already checked and only check those added since.
std::optional<View> Walk(const layout::TRing& ring, const layout::Extent& extent,
                         const View* known);

// Walks the records of `extent` past damage: where no record frame is found, the walk goes on at
// the next frame found by its signature, with the lengths at both ends agreeing and a number
// that the bytes skipped could have reached (or followed by the record numbered next). The
// numbers passed over become a gap; records lost at the end are left out. Nothing when no
// record is found at all.
std::optional<View> Salvage(const layout::TRing& ring, const layout::Extent& extent);

// The true extent of the log and its records. Candidates: the header's own extent; the
// end-of-file record reached by walking records on from the header's end offset; and, when that
// walk fails, every end-of-file record found by scanning the file. Of the candidates whose
// records walk cleanly, the newest wins: the highest next record number, then the one that kept
// fewest of the oldest records. With `salvage`, a candidate newer than that whose records do
// not walk cleanly is salvaged instead, the newest first, when it keeps every record of the
// winner: damage then loses only the records it hit. Throws CorruptLog when no candidate gives
// records.
View Recover(const layout::TRing& ring, const Header& header, const View* known, bool salvage);

}  // namespace corvane::evt::recovery
