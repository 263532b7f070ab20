#include "core/EventItem.h"

#include <cstring>
#include <limits>
#include <utility>

#include "core/RawRecord.h"
#include "framework/ClassError.h"
#include "framework/PropertyInfo.h"

namespace corvane {

namespace {

// A fresh copy of `length` bytes, or none for a length of 0 or less.
std::unique_ptr<uint8_t[]> CopyBytes(const void* buffer, int32_t length) {
  if (length <= 0) return nullptr;
  if (!buffer) RaiseClassError("No bytes given for a length of " + std::to_string(length));
  auto copy = std::make_unique<uint8_t[]>(static_cast<size_t>(length));
  std::memcpy(copy.get(), buffer, static_cast<size_t>(length));
  return copy;
}

}  // namespace

// TByteList

const TClassInfo& TByteList::StaticClassInfo() {
  static const TClassInfo info("TByteList", &TPersistent::StaticClassInfo(), {});
  return info;
}

const TClassInfo& TByteList::ClassInfo() const { return StaticClassInfo(); }

int32_t TByteList::Count() const { return owner_.DataLength(); }

void TByteList::CheckIndex(int32_t index) const {
  if (index < 0 || index >= owner_.DataLength()) RaiseListIndexError(index);
}

uint8_t TByteList::Item(int32_t index) const {
  CheckIndex(index);
  return owner_.Data()[index];
}

void TByteList::SetItem(int32_t index, uint8_t value) {
  CheckIndex(index);
  owner_.Data()[index] = value;
}

void TByteList::Clear() { owner_.SetData(nullptr, 0); }

void TByteList::Add(uint8_t value) {
  const int32_t count = owner_.DataLength();
  if (count == std::numeric_limits<int32_t>::max()) {
    RaiseClassError("The event data cannot grow beyond " + std::to_string(count) + " bytes");
  }
  auto grown = std::make_unique<uint8_t[]>(static_cast<size_t>(count) + 1);
  if (count > 0) std::memcpy(grown.get(), owner_.Data(), static_cast<size_t>(count));
  grown[count] = value;
  owner_.AdoptData(std::move(grown), count + 1);
}

// TEventItem

TEventItem::TEventItem(TNTPersistent* owner) : owner_(owner) {}

const TClassInfo& TEventItem::StaticClassInfo() {
  static const TClassInfo info("TEventItem", &TPersistent::StaticClassInfo(), {});
  return info;
}

const TClassInfo& TEventItem::ClassInfo() const { return StaticClassInfo(); }

void TEventItem::Assign(const TPersistent& source) {
  const auto* item = dynamic_cast<const TEventItem*>(&source);
  if (!item || item == this) return;
  number_ = item->number_;
  timeGenerated_ = item->timeGenerated_;
  timeWritten_ = item->timeWritten_;
  eventId_ = item->eventId_;
  eventType_ = item->eventType_;
  strings_.Assign(item->strings_);
  eventCategory_ = item->eventCategory_;
  sourceName_ = item->sourceName_;
  computerName_ = item->computerName_;
  SetData(item->Data(), item->DataLength());
  SetSid(item->Sid(), item->SidLength());
}

void TEventItem::Reset() {
  timeGenerated_ = 0;
  timeWritten_ = 0;
  eventId_ = 0;
  eventType_ = TEventType::Success;
  eventCategory_ = 0;
  strings_.Clear();
  sourceName_.clear();
  computerName_.clear();
  SetData(nullptr, 0);
  SetSid(nullptr, 0);
}

void TEventItem::LoadFromRecord(const void* record, size_t available) {
  // Decoded before anything changes, so that a refused record leaves the item intact.
  const TRawRecord raw = DecodeRawRecord(record, available);
  auto data = CopyBytes(raw.Data.data(), static_cast<int32_t>(raw.Data.size()));
  auto sid = CopyBytes(raw.Sid.data(), static_cast<int32_t>(raw.Sid.size()));
  TStringList strings;
  for (std::string_view s : raw.Strings) strings.Add(std::string(s));

  Reset();
  timeGenerated_ = RecordTimeToDateTime(raw.TimeGenerated);
  timeWritten_ = RecordTimeToDateTime(raw.TimeWritten);
  eventId_ = raw.EventId;
  eventType_ = SystemToEventType(raw.EventType);
  strings_.Assign(strings);
  eventCategory_ = raw.EventCategory;
  sourceName_ = raw.SourceName;
  computerName_ = raw.ComputerName;
  sid_ = std::move(sid);
  sidLength_ = static_cast<int32_t>(raw.Sid.size());
  username_.clear();
  AdoptData(std::move(data), static_cast<int32_t>(raw.Data.size()));
}

void TEventItem::SetData(const void* buffer, int32_t length) {
  // Copied before the old buffer goes, since `buffer` may lie inside it.
  auto copy = CopyBytes(buffer, length);
  const int32_t copied = copy ? length : 0;
  AdoptData(std::move(copy), copied);
}

void TEventItem::AdoptData(std::unique_ptr<uint8_t[]> buffer, int32_t length) {
  data_ = std::move(buffer);
  dataLength_ = data_ ? length : 0;
}

void TEventItem::SetSid(const void* buffer, int32_t length) {
  auto copy = CopyBytes(buffer, length);
  sidLength_ = copy ? length : 0;
  sid_ = std::move(copy);
  // A name resolved for the previous SID (or "N/A" for none) would be wrong for the new one.
  username_.clear();
}

}  // namespace corvane
