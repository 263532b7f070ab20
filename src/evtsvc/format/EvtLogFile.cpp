// LogFile: reading, appending, clearing and copying one log file.
//
// Crash safety. Open accepts the header's own extent as well as the one the end-of-file record
// gives, whichever is newer and whose records walk cleanly (EvtRecovery.h). Writes are ordered so
// that after each one of them at least one of those is intact:
//   Append: 1. grow the file (free bytes only);
//           2. when the oldest records must go, the header with the new start, marked dirty,
//              before any of their bytes is overwritten;
//           3. the new end-of-file record, after the space the new record will take;
//           4. the record, all but its leading length (over the old end-of-file record, unless
//              the log starts over after the header), the part after the wrap point first;
//           5. the record's leading length, which makes it whole;
//           6. the header, clean, describing the new extent.
//   Clear:  1. header (empty, dirty); 2. the old end-of-file record's first word zeroed;
//           3. the empty log's end-of-file record after the header; 4. shrink; 5. header clean.
// A crash before the last step leaves either the old log, or (append) the old log without the
// records that were being overwritten; after it, the new one. Torn writes are survived too, as
// long as a 4-byte aligned write is whole.
#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "EvtBytes.h"
#include "EvtFile.h"
#include "EvtLayout.h"
#include "EvtRecovery.h"

namespace corvane::evt {
namespace {

using layout::Extent;
using layout::TRing;
using recovery::View;

// The largest maximum size that is a whole number of 64 KiB steps and fits the 32-bit offsets.
constexpr uint32_t kLargestMaxSize = 0xFFFF0000;

uint32_t RoundMaxSize(uint32_t maxSize) {
  if (maxSize > kLargestMaxSize) return kLargestMaxSize;
  return std::max(kSizeStep, (maxSize + kSizeStep - 1) / kSizeStep * kSizeStep);
}

// Whether the oldest record, written at `oldTime`, may make room for one written at `newTime`.
bool MayOverwrite(uint32_t retention, uint32_t oldTime, uint32_t newTime) {
  if (retention == 0) return true;
  if (retention == kRetainForever) return false;
  return int64_t{newTime} - int64_t{oldTime} > int64_t{retention};
}

// Where a record of `length` bytes written at `from` goes, and its end-of-file record after it.
// As the system writes a wrapped log, both are split at the end of the file when they reach
// it: the first part fills the file to its end and the rest follows the header, so readers that
// walk the ring from the oldest record see every record as a regular one.
struct TPlacement {
  uint32_t record = 0;
  uint32_t eof = 0;
  uint64_t consumed = 0;  // bytes from `from` to the end-of-file record
};

TPlacement PlaceAfter(uint32_t fileSize, uint32_t from, uint32_t length) {
  TPlacement place;
  place.record = from;
  place.consumed = length;
  const uint64_t after = uint64_t{from} + length;
  place.eof = static_cast<uint32_t>(after >= fileSize ? after - fileSize + kHeaderSize : after);
  return place;
}

class TLogFileImpl final : public TLogFile {
 public:
  TLogFileImpl(TStorage& storage, bool readOnly) : storage_(storage), readOnly_(readOnly) {
    Load(false);
  }

  void Refresh() override {
    if (Unchanged()) {
      ring_->Invalidate();
      return;
    }
    Load(true);
  }

  const Header& header() const override { return header_; }
  uint32_t Count() const override { return static_cast<uint32_t>(view_.offsets.size()); }
  uint32_t OldestRecordNumber() const override { return Count() ? NumberAt(0) : 0; }
  uint32_t NumberAt(uint32_t position) const override {
    return recovery::NumberAt(view_, position);
  }
  bool Holds(uint32_t number) const override {
    return recovery::IndexOf(view_, number).has_value();
  }

  std::vector<uint8_t> RecordBytes(uint32_t number) const override {
    std::vector<uint8_t> bytes;
    RecordBytes(number, bytes);
    return bytes;
  }

  void RecordBytes(uint32_t number, std::vector<uint8_t>& bytes) const override {
    const auto [offset, length] = Locate(number);
    bytes.resize(length);
    if (length != 0) ring_->Read(offset, bytes.data(), length);
  }

  uint32_t Append(Record record) override;
  void Clear() override;
  void SetLimits(uint32_t maxSize, uint32_t retention) override;
  void CopyTo(TStorage& target) const override;

 private:
  struct Located {
    uint32_t offset = 0;
    uint32_t length = 0;  // 0: no such record
  };

  // Reads the file afresh; with `reuse` the records already checked are not walked again.
  void Load(bool reuse) const;
  bool Unchanged() const;
  // Where record `number` is and its frame's length (0 when the frame does not match), or nothing
  // when there is no such record.
  std::optional<Located> Find(uint32_t number) const;
  // Where record `number` is, its frame checked. Another process may have cleared and refilled
  // the log in a way Refresh could not tell from appends; a frame that no longer matches then
  // makes the view be rebuilt from the file before the record counts as damaged.
  Located Locate(uint32_t number) const;
  void RequireWritable() const {
    if (readOnly_) throw std::logic_error("the event log was opened read-only");
  }
  void WriteHeader(const Header& header);
  void WriteEof(const Extent& extent);
  // Header and end-of-file record both describing the current view, header clean.
  void Commit();

  TStorage& storage_;
  const bool readOnly_;
  // The view is a cache of the file: Locate() may rebuild it.
  mutable std::optional<TRing> ring_;
  mutable Header header_;
  mutable View view_;
  mutable std::array<uint8_t, kHeaderSize> diskHeader_{};  // as last read or written
  mutable std::array<uint8_t, kEofRecordSize> diskEof_{};  // the bytes at the end offset
  mutable uint64_t loads_ = 0;  // tells Append that Locate rebuilt the view under it
};

void TLogFileImpl::Load(bool reuse) const {
  const uint64_t size = storage_.Size();
  if (size < kHeaderSize + kEofRecordSize) throw TCorruptLog("file too small to be an event log");
  if (size > UINT32_MAX) throw TCorruptLog("file larger than an event log can be");
  std::array<uint8_t, kHeaderSize> raw;
  storage_.Read(0, raw.data(), raw.size());
  const Header stated = layout::DecodeHeader(raw.data());

  std::optional<TRing> ring;
  ring.emplace(storage_, static_cast<uint32_t>(size));
  View view = recovery::Recover(*ring, stated, reuse ? &view_ : nullptr, readOnly_);

  std::array<uint8_t, kEofRecordSize> eof;
  ring->Read(view.extent.end, eof.data(), eof.size());
  ring_.emplace(storage_, static_cast<uint32_t>(size));
  header_ = stated;
  layout::SetExtent(header_, view.extent);
  header_.flags &= ~kFlagDirty;
  view_ = std::move(view);
  diskHeader_ = raw;
  diskEof_ = eof;
  ++loads_;
}

bool TLogFileImpl::Unchanged() const {
  if (storage_.Size() != ring_->fileSize()) return false;
  std::array<uint8_t, kHeaderSize> raw;
  storage_.Read(0, raw.data(), raw.size());
  if (raw != diskHeader_) return false;
  std::array<uint8_t, kEofRecordSize> eof;
  ring_->Invalidate();
  ring_->Read(view_.extent.end, eof.data(), eof.size());
  return eof == diskEof_;
}

std::optional<TLogFileImpl::Located> TLogFileImpl::Find(uint32_t number) const {
  const std::optional<uint32_t> index = recovery::IndexOf(view_, number);
  if (!index) return std::nullopt;
  const uint32_t offset = view_.offsets[*index];
  const uint32_t room = ring_->Distance(offset, view_.extent.end);
  return Located{offset, recovery::FrameAt(*ring_, offset, room, number)};
}

TLogFileImpl::Located TLogFileImpl::Locate(uint32_t number) const {
  auto place = Find(number);
  if (!place || place->length != 0) return place.value_or(Located{});
  Load(false);
  place = Find(number);
  if (!place) return {};
  if (place->length == 0) throw TCorruptLog("event record damaged");
  return *place;
}

void TLogFileImpl::WriteHeader(const Header& header) {
  const auto raw = layout::EncodeHeader(header);
  storage_.Write(0, raw.data(), raw.size());
  diskHeader_ = raw;
}

void TLogFileImpl::WriteEof(const Extent& extent) {
  const auto eof = layout::EncodeEof(extent);
  layout::WriteRing(storage_, *ring_, extent.end, eof.data(), eof.size());
}

void TLogFileImpl::Commit() {
  WriteEof(view_.extent);
  diskEof_ = layout::EncodeEof(view_.extent);
  WriteHeader(header_);
  storage_.Flush();
}

uint32_t TLogFileImpl::Append(Record record) {
  RequireWritable();
  const uint64_t loads = loads_;
  const Extent old = view_.extent;
  const size_t count = view_.offsets.size();
  // 0 is no record number (an oldest number of 0 means empty), so numbers do not wrap round.
  record.recordNumber = old.current;
  if (record.recordNumber == 0) {
    if (count != 0) throw TLogFull("the event log has used up its record numbers");
    record.recordNumber = 1;
  }
  record.closingRecordNumber = 0;
  const std::vector<uint8_t> bytes = EncodeRecord(record);
  const uint32_t length = static_cast<uint32_t>(bytes.size());

  // A log that has not wrapped grows before it wraps, up to its maximum size.
  uint32_t fileSize = ring_->fileSize();
  const uint32_t limit = std::min(header_.maxSize, kLargestMaxSize) & ~3u;
  const uint64_t need = uint64_t{length} + kEofRecordSize;
  const bool linear = (count == 0 || old.start < old.end) && old.end + kEofRecordSize <= fileSize;
  if (linear && old.end + need > fileSize && limit > fileSize) {
    const uint64_t wanted = (old.end + need + kSizeStep - 1) / kSizeStep * kSizeStep;
    fileSize = static_cast<uint32_t>(std::min<uint64_t>(wanted, limit));
  }
  const uint32_t capacity = fileSize - kHeaderSize;

  // Drop the oldest records, as far as the retention lets them go, until the record fits. Once
  // none is left the log starts over after the header.
  size_t drop = 0;
  TPlacement place;
  uint32_t start = 0;
  for (;;) {
    const bool allGone = drop == count;
    const uint32_t from = allGone ? kHeaderSize : old.end;
    place = PlaceAfter(fileSize, from, length);
    start = allGone ? place.record : view_.offsets[drop];
    const uint64_t used = allGone ? 0 : (start <= old.end ? old.end - start
                                                         : capacity - (start - old.end));
    if (used + place.consumed + kEofRecordSize <= capacity) break;
    if (allGone) throw TLogFull("the event record does not fit in the log's maximum size");
    const Located oldest = Locate(old.oldest + static_cast<uint32_t>(drop));
    if (loads_ != loads) return Append(std::move(record));
    const uint32_t written = ring_->Read32(ring_->Advance(oldest.offset, 16));
    if (!MayOverwrite(header_.retention, written, record.timeWritten)) {
      if (!(header_.flags & kFlagLogFull)) {
        header_.flags |= kFlagLogFull;
        Commit();
      }
      throw TLogFull("the event log is full");
    }
    ++drop;
  }
  const bool allGone = drop == count;

  if (fileSize != ring_->fileSize()) {
    storage_.Resize(fileSize);
    ring_.emplace(storage_, fileSize);
  }
  Extent next;
  next.start = start;
  next.end = place.eof;
  next.current = record.recordNumber + 1;
  next.oldest = allGone ? record.recordNumber : old.oldest + static_cast<uint32_t>(drop);

  Header header = header_;
  if (drop != 0 || place.record != old.end || place.eof < place.record) {
    header.flags |= kFlagWrapped;
  }
  if (drop != 0) {
    Header dropping = header;
    const Extent kept = allGone ? Extent{kHeaderSize, kHeaderSize, old.current, 0}
                                : Extent{start, old.end, old.current, next.oldest};
    layout::SetExtent(dropping, kept);
    dropping.flags |= kFlagDirty;
    WriteHeader(dropping);
    storage_.Flush();
  }
  WriteEof(next);
  layout::WriteRing(storage_, *ring_, ring_->Advance(place.record, 4), bytes.data() + 4,
                    length - 4);
  // The leading length goes last: until it is there the record is not whole, and the walk from
  // the header's end offset stops at it (or at the old end-of-file record).
  layout::WriteRing(storage_, *ring_, place.record, bytes.data(), 4);
  storage_.Flush();
  layout::SetExtent(header, next);
  header.flags &= ~(kFlagDirty | kFlagLogFull);
  WriteHeader(header);

  header_ = header;
  view_.offsets.erase(view_.offsets.begin(), view_.offsets.begin() + drop);
  view_.offsets.push_back(place.record);
  view_.extent = next;
  view_.fileSize = fileSize;
  diskEof_ = layout::EncodeEof(next);
  return record.recordNumber;
}

void TLogFileImpl::Clear() {
  RequireWritable();
  const Extent empty{kHeaderSize, kHeaderSize, 1, 0};
  Header header = header_;
  layout::SetExtent(header, empty);
  header.flags = kFlagDirty;
  WriteHeader(header);
  storage_.Flush();
  // The old records are now to be overwritten: their end-of-file record must no longer make
  // them a candidate when the file is opened after a crash.
  const uint8_t zero[4] = {};
  layout::WriteRing(storage_, *ring_, view_.extent.end, zero, sizeof zero);
  storage_.Flush();
  WriteEof(empty);
  // Back to the first step (a file the system left smaller stays as it is).
  const uint32_t initial = std::min(kSizeStep, ring_->fileSize());
  if (ring_->fileSize() != initial) {
    storage_.Resize(initial);
    ring_.emplace(storage_, initial);
  }
  header.flags = 0;
  header_ = header;
  view_ = View{empty, {}, initial, {}};
  Commit();
}

void TLogFileImpl::SetLimits(uint32_t maxSize, uint32_t retention) {
  RequireWritable();
  header_.maxSize = RoundMaxSize(maxSize);
  header_.retention = retention;
  Commit();
}

// The copy holds the records one after another from just after the header, in a file of the
// same size: a backup reads the same everywhere, whatever a reader makes of wrapped logs.
void TLogFileImpl::CopyTo(TStorage& target) const {
  target.Resize(0);
  target.Resize(ring_->fileSize());
  std::vector<uint8_t> chunk;
  uint32_t at = kHeaderSize;
  auto flush = [&] {
    target.Write(at, chunk.data(), chunk.size());
    at += static_cast<uint32_t>(chunk.size());
    chunk.clear();
  };
  for (uint32_t i = 0; i < Count(); ++i) {
    const std::vector<uint8_t> record = RecordBytes(NumberAt(i));
    chunk.insert(chunk.end(), record.begin(), record.end());
    if (chunk.size() >= 64 * 1024) flush();
  }
  flush();
  Header header = header_;
  const Extent extent{kHeaderSize, at, view_.extent.current, OldestRecordNumber()};
  layout::SetExtent(header, extent);
  const auto eof = layout::EncodeEof(extent);
  target.Write(at, eof.data(), eof.size());
  const auto raw = layout::EncodeHeader(header);
  target.Write(0, raw.data(), raw.size());
  target.Flush();
}

}  // namespace

std::unique_ptr<TLogFile> TLogFile::Open(TStorage& storage, bool readOnly) {
  return std::make_unique<TLogFileImpl>(storage, readOnly);
}

void TLogFile::Create(TStorage& storage, uint32_t maxSize, uint32_t retention) {
  Header header;
  header.maxSize = RoundMaxSize(maxSize);
  header.retention = retention;
  storage.Resize(0);
  storage.Resize(kSizeStep);
  const auto eof = layout::EncodeEof(layout::ExtentOf(header));
  storage.Write(kHeaderSize, eof.data(), eof.size());
  const auto raw = layout::EncodeHeader(header);
  storage.Write(0, raw.data(), raw.size());
  storage.Flush();
}

}  // namespace corvane::evt
