#include "core/EventItem.h"

#include <cstring>
#include <limits>
#include <mutex>
#include <unordered_map>
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

// `length` bytes from `buffer` behind a header holding the length, or none for a length of 0 or
// less.
std::unique_ptr<uint8_t[]> CopySid(const void* buffer, int32_t length, size_t headerSize) {
  if (length <= 0) return nullptr;
  if (!buffer) RaiseClassError("No bytes given for a length of " + std::to_string(length));
  auto copy = std::make_unique<uint8_t[]>(headerSize + static_cast<size_t>(length));
  std::memcpy(copy.get(), &length, sizeof(length));
  std::memcpy(copy.get() + headerSize, buffer, static_cast<size_t>(length));
  return copy;
}

}  // namespace

// TPooledString

struct TPooledString::TEntry {
  std::string text;
  size_t references = 0;  // guarded by the pool's mutex
};

namespace {

struct TStringPool {
  std::mutex lock;
  // Keyed by views into the entries' own text, which stays put while the entry lives.
  std::unordered_map<std::string_view, std::unique_ptr<TPooledString::TEntry>> entries;
};

TStringPool& StringPool() {
  // Never destroyed: items held in static objects may still release their strings after the
  // end of main, when a function-local static pool would already be gone.
  static TStringPool* const pool = new TStringPool;
  return *pool;
}

const std::string& EmptyString() {
  static const std::string* const empty = new std::string;
  return *empty;
}

}  // namespace

TPooledString::TPooledString(std::string_view text) {
  if (text.empty()) return;
  TStringPool& pool = StringPool();
  std::lock_guard<std::mutex> guard(pool.lock);
  auto found = pool.entries.find(text);
  if (found == pool.entries.end()) {
    auto entry = std::make_unique<TEntry>();
    entry->text.assign(text);
    const std::string_view key = entry->text;
    found = pool.entries.emplace(key, std::move(entry)).first;
  }
  entry_ = found->second.get();
  ++entry_->references;
}

TPooledString::TPooledString(const TPooledString& other) : entry_(other.entry_) {
  if (!entry_) return;
  std::lock_guard<std::mutex> guard(StringPool().lock);
  ++entry_->references;
}

TPooledString& TPooledString::operator=(const TPooledString& other) {
  if (entry_ == other.entry_) return *this;
  TPooledString copy(other);
  Release();
  std::swap(entry_, copy.entry_);
  return *this;
}

TPooledString::~TPooledString() { Release(); }

void TPooledString::Release() {
  if (!entry_) return;
  TStringPool& pool = StringPool();
  std::lock_guard<std::mutex> guard(pool.lock);
  if (--entry_->references == 0) pool.entries.erase(std::string_view(entry_->text));
  entry_ = nullptr;
}

const std::string& TPooledString::Get() const { return entry_ ? entry_->text : EmptyString(); }

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

int32_t TEventItem::SidLength() const {
  int32_t length = 0;
  if (sid_) std::memcpy(&length, sid_.get(), sizeof(length));
  return length;
}

struct TEventItem::TScriptSide {
  explicit TScriptSide(TEventItem& item) : dataBytes(item) {}
  TByteList dataBytes;
  // Last, so that it goes first: the item's wrapper forgets the item before its byte list goes.
  TAdapterSlot adapter;
};

TEventItem::~TEventItem() = default;

TEventItem::TScriptSide& TEventItem::ScriptSide() {
  if (!scriptSide_) scriptSide_ = std::make_unique<TScriptSide>(*this);
  return *scriptSide_;
}

TByteList& TEventItem::DataBytes() { return ScriptSide().dataBytes; }

TAdapterSlot& TEventItem::Adapter() { return ScriptSide().adapter; }

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
  sourceName_ = TPooledString();
  computerName_ = TPooledString();
  SetData(nullptr, 0);
  SetSid(nullptr, 0);
}

void TEventItem::LoadFromRecord(const void* record, size_t available) {
  // Decoded before anything changes, so that a refused record leaves the item intact.
  const TRawRecord raw = DecodeRawRecord(record, available);
  auto data = CopyBytes(raw.Data.data(), static_cast<int32_t>(raw.Data.size()));
  auto sid = CopySid(raw.Sid.data(), static_cast<int32_t>(raw.Sid.size()), kSidHeaderSize);
  TPooledString sourceName(raw.SourceName);
  TPooledString computerName(raw.ComputerName);

  Reset();
  timeGenerated_ = RecordTimeToDateTime(raw.TimeGenerated);
  timeWritten_ = RecordTimeToDateTime(raw.TimeWritten);
  eventId_ = raw.EventId;
  eventType_ = SystemToEventType(raw.EventType);
  // Exactly as many slots as strings: a list grown one string at a time keeps up to twice that.
  // Filled in place, each string copied once: a large log's read comes through here for every
  // record. Only running out of memory can stop it half way.
  strings_.SetCapacity(static_cast<int>(raw.Strings.size()));
  for (std::string_view s : raw.Strings) strings_.Add(std::string(s));
  eventCategory_ = raw.EventCategory;
  sourceName_ = std::move(sourceName);
  computerName_ = std::move(computerName);
  sid_ = std::move(sid);
  username_ = TPooledString();
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
  sid_ = CopySid(buffer, length, kSidHeaderSize);
  // A name resolved for the previous SID (or "N/A" for none) would be wrong for the new one.
  username_ = TPooledString();
}

}  // namespace corvane
