#include "core/EventItem.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

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

struct TEventItem::TSideParts {
  explicit TSideParts(TEventItem& item) : dataBytes(item) {}
  TStringList strings;
  bool stringsMade = false;  // whether `strings` holds the item's strings yet
  TByteList dataBytes;
  // The bytes allocated at the item's data, when Add grew it beyond its length; otherwise 0, and
  // the next Add allocates anew.
  int32_t dataCapacity = 0;
  // Last, so that it goes first: the item's wrapper forgets the item before its lists go.
  TAdapterSlot adapter;
};

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
  constexpr int32_t kLargest = std::numeric_limits<int32_t>::max();
  const int32_t count = owner_.DataLength();
  if (count == kLargest) {
    RaiseClassError("The event data cannot grow beyond " + std::to_string(count) + " bytes");
  }
  TEventItem::TSideParts& side = owner_.SideParts();
  if (count >= side.dataCapacity) {
    // Grown by half again each time, so that a script adding byte by byte copies each byte a
    // few times in all rather than once per later Add.
    const int32_t capacity = count > kLargest / 3 * 2 ? kLargest : std::max(count + count / 2, 64);
    auto grown = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(capacity));
    if (count > 0) std::memcpy(grown.get(), owner_.Data(), static_cast<size_t>(count));
    owner_.AdoptData(std::move(grown), count);
    side.dataCapacity = capacity;
  }
  owner_.data_[count] = value;
  owner_.dataLength_ = count + 1;
}

// TEventItem

TEventItem::TEventItem(TNTPersistent* owner) : owner_(owner) {}

int32_t TEventItem::SidLength() const {
  int32_t length = 0;
  if (sid_) std::memcpy(&length, sid_.get(), sizeof(length));
  return length;
}

TEventItem::~TEventItem() = default;

TEventItem::TSideParts& TEventItem::SideParts() const {
  if (!sideParts_) sideParts_ = std::make_unique<TSideParts>(const_cast<TEventItem&>(*this));
  return *sideParts_;
}

TStringList* TEventItem::MadeList() const {
  return sideParts_ && sideParts_->stringsMade ? &sideParts_->strings : nullptr;
}

TStringList& TEventItem::Strings() {
  return const_cast<TStringList&>(std::as_const(*this).Strings());
}

const TStringList& TEventItem::Strings() const {
  TSideParts& side = SideParts();
  if (!side.stringsMade) {
    try {
      side.strings.SetCapacity(packedStrings_.Count());
      for (int i = 0; i < packedStrings_.Count(); ++i) {
        side.strings.Add(std::string(packedStrings_.Get(i)));
      }
    } catch (...) {
      side.strings.Clear();
      throw;
    }
    side.stringsMade = true;
    packedStrings_ = TPackedStrings();
  }
  return side.strings;
}

int TEventItem::StringCount() const {
  const TStringList* list = MadeList();
  return list ? list->Count() : packedStrings_.Count();
}

std::string_view TEventItem::StringAt(int index) const {
  const TStringList* list = MadeList();
  return list ? std::string_view(list->Get(index)) : packedStrings_.Get(index);
}

TByteList& TEventItem::DataBytes() { return SideParts().dataBytes; }

TAdapterSlot& TEventItem::Adapter() { return SideParts().adapter; }

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
  AssignStrings(*item);
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
  packedStrings_ = TPackedStrings();
  if (TStringList* list = MadeList()) list->Clear();
  sourceName_ = TPooledString();
  computerName_ = TPooledString();
  SetData(nullptr, 0);
  SetSid(nullptr, 0);
}

void TEventItem::LoadFromRecord(const void* record, size_t available) {
  // Decoded before anything changes, so that a refused record leaves the item intact. The
  // component loads every record it reads through here: the decoding's list keeps its room.
  thread_local TRawRecord raw;
  DecodeRawRecord(record, available, raw);
  auto data = CopyBytes(raw.Data.data(), static_cast<int32_t>(raw.Data.size()));
  auto sid = CopySid(raw.Sid.data(), static_cast<int32_t>(raw.Sid.size()), kSidHeaderSize);
  TPooledString sourceName(raw.SourceName);
  TPooledString computerName(raw.ComputerName);
  TStringList* list = MadeList();
  TPackedStrings strings = list ? TPackedStrings() : TPackedStrings(raw.Strings);

  Reset();
  timeGenerated_ = RecordTimeToDateTime(raw.TimeGenerated);
  timeWritten_ = RecordTimeToDateTime(raw.TimeWritten);
  eventId_ = raw.EventId;
  eventType_ = SystemToEventType(raw.EventType);
  if (list) {
    // An item whose list was handed out keeps that list. Only running out of memory can stop it
    // half way.
    list->SetCapacity(static_cast<int>(raw.Strings.size()));
    for (std::string_view s : raw.Strings) list->Add(std::string(s));
  } else {
    packedStrings_ = std::move(strings);
  }
  eventCategory_ = raw.EventCategory;
  sourceName_ = std::move(sourceName);
  computerName_ = std::move(computerName);
  sid_ = std::move(sid);
  username_ = TPooledString();
  AdoptData(std::move(data), static_cast<int32_t>(raw.Data.size()));
}

void TEventItem::AssignStrings(const TEventItem& source) {
  std::vector<std::string_view> texts;
  texts.reserve(static_cast<size_t>(source.StringCount()));
  for (int i = 0; i < source.StringCount(); ++i) texts.push_back(source.StringAt(i));
  if (TStringList* list = MadeList()) {
    // Added one by one, so that a sorted list files them in its own order.
    list->Clear();
    for (std::string_view text : texts) list->Add(std::string(text));
  } else {
    packedStrings_ = TPackedStrings(texts);
  }
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
  if (sideParts_) sideParts_->dataCapacity = 0;
}

void TEventItem::SetSid(const void* buffer, int32_t length) {
  sid_ = CopySid(buffer, length, kSidHeaderSize);
  // A name resolved for the previous SID (or "N/A" for none) would be wrong for the new one.
  username_ = TPooledString();
}

}  // namespace corvane
