// One logged event held in memory (TEventItem) and the access object over its event data
// (TByteList). Items are decoded from raw records by the event-log component that owns them,
// or built by hand to be written.
//
// The item's user name is resolved on demand through the process-wide account cache, on the
// owning component's machine; the lookup lives in EventItemUsername.cpp, the only part of this
// unit that needs the system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "core/EventType.h"
#include "core/PackedStrings.h"
#include "framework/AdapterSlot.h"
#include "framework/Persistent.h"
#include "framework/StringList.h"

namespace corvane {

class TEventItem;
class TNTPersistent;

// An immutable string shared through a process-wide pool. Source names, computer names and
// account names repeat across thousands of cached records, so each item holds one pointer to a
// pooled copy instead of a string of its own. The last holder removes the copy from the pool, so
// names set by hand do not pile up. The pool is guarded by a mutex: items of different
// components may live on different threads.
class TPooledString {
 public:
  TPooledString() = default;
  explicit TPooledString(std::string_view text);
  TPooledString(const TPooledString& other);
  TPooledString& operator=(const TPooledString& other);
  TPooledString(TPooledString&& other) noexcept : entry_(std::exchange(other.entry_, nullptr)) {}
  TPooledString& operator=(TPooledString&& other) noexcept {
    std::swap(entry_, other.entry_);
    return *this;
  }
  ~TPooledString();

  // The empty string for a default-constructed one.
  const std::string& Get() const;
  bool Empty() const { return !entry_; }

  // One pooled copy; opaque outside EventItem.cpp.
  struct TEntry;

 private:
  void Release();

  TEntry* entry_ = nullptr;  // null for the empty string, which is never pooled
};

// Presents the owner's Data and DataLength as a list of bytes; stores nothing itself.
class TByteList : public TPersistent {
 public:
  explicit TByteList(TEventItem& owner) : owner_(owner) {}
  ~TByteList() override = default;
  TByteList(const TByteList&) = delete;
  TByteList& operator=(const TByteList&) = delete;

  const TClassInfo& ClassInfo() const override;
  static const TClassInfo& StaticClassInfo();

  TEventItem& Owner() const { return owner_; }
  int32_t Count() const;
  // An index outside 0..Count-1 raises "List index out of bounds (n)"; nothing is touched.
  uint8_t Item(int32_t index) const;
  // Stores in place; the length does not change.
  void SetItem(int32_t index, uint8_t value);
  void Clear();
  // One byte longer, the earlier bytes kept, in the owner's one buffer. The buffer grows ahead
  // of need, so that adding bytes one by one takes time in proportion to their number.
  void Add(uint8_t value);

  // The list's automation wrapper, kept from its first request to the list's end.
  TAdapterSlot& Adapter() { return adapter_; }

 private:
  void CheckIndex(int32_t index) const;

  TEventItem& owner_;
  TAdapterSlot adapter_;
};

class TEventItem : public TPersistent {
 public:
  // `owner` is the component that created the item (not owned; may be null for an item built by
  // hand, whose user name is then resolved on the local machine).
  explicit TEventItem(TNTPersistent* owner);
  ~TEventItem() override;
  TEventItem(const TEventItem&) = delete;
  TEventItem& operator=(const TEventItem&) = delete;

  const TClassInfo& ClassInfo() const override;
  static const TClassInfo& StaticClassInfo();

  // From another TEventItem: its event, with data, SID and strings as fresh copies of this
  // item's own. Owner stays, and the user name is resolved anew from the copied SID. From any
  // other class: ignored, without an error.
  void Assign(const TPersistent& source) override;

  // Empties everything the record fills; Number and Owner stay.
  void Reset();
  // Decodes the raw 8-bit record at `record`, of which `available` bytes were delivered
  // (DecodeRawRecord). A record that is refused leaves the item as it was.
  void LoadFromRecord(const void* record, size_t available);

  // Each replaces the item's own copy: `length` bytes from `buffer`, or none for a length of 0
  // or less. `buffer` may point into the present copy.
  void SetData(const void* buffer, int32_t length);
  void SetSid(const void* buffer, int32_t length);

  // The account as "domain\account", "N/A" without a SID or when the machine cannot name it.
  // Asked of the account cache at most once while the SID stays the same.
  const std::string& Username();

  TNTPersistent* Owner() const { return owner_; }
  int32_t Number() const { return number_; }
  void SetNumber(int32_t value) { number_ = value; }
  double TimeGenerated() const { return timeGenerated_; }
  void SetTimeGenerated(double value) { timeGenerated_ = value; }
  double TimeWritten() const { return timeWritten_; }
  void SetTimeWritten(double value) { timeWritten_ = value; }
  uint32_t EventId() const { return eventId_; }
  void SetEventId(uint32_t value) { eventId_ = value; }
  TEventType EventType() const { return eventType_; }
  void SetEventType(TEventType value) { eventType_ = value; }
  uint16_t EventCategory() const { return eventCategory_; }
  void SetEventCategory(uint16_t value) { eventCategory_ = value; }
  const std::string& SourceName() const { return sourceName_.Get(); }
  void SetSourceName(const std::string& value) { sourceName_ = TPooledString(value); }
  const std::string& ComputerName() const { return computerName_.Get(); }
  void SetComputerName(const std::string& value) { computerName_ = TPooledString(value); }
  // The insertion strings as a list, made on the first request and kept to the item's end, so
  // the reference stays valid. Cached items keep their strings packed until then: most are never
  // asked for the list. Reading them is cheaper through StringCount and StringAt.
  TStringList& Strings();
  const TStringList& Strings() const;
  // The insertion strings read where they are, without making the list. An index outside
  // 0..StringCount-1 raises "List index out of bounds (n)". A NUL follows each text, so data()
  // also serves where a C string is wanted (a NUL inside a string put in the list ends it there).
  int StringCount() const;
  std::string_view StringAt(int index) const;

  // Null exactly when the length is 0.
  const uint8_t* Data() const { return data_.get(); }
  uint8_t* Data() { return data_.get(); }
  int32_t DataLength() const { return dataLength_; }
  const uint8_t* Sid() const { return sid_ ? sid_.get() + kSidHeaderSize : nullptr; }
  int32_t SidLength() const;
  // Made on first use: most cached items are never asked for it.
  TByteList& DataBytes();
  // The item's automation wrapper, kept from its first request to the item's end; Reset and
  // Assign leave it alone.
  TAdapterSlot& Adapter();

 private:
  friend class TByteList;
  // Copies the strings of `source` into the list when it has been made, else packed.
  void AssignStrings(const TEventItem& source);
  // Takes over `buffer` of `length` bytes (null and 0 for none) as the data.
  void AdoptData(std::unique_ptr<uint8_t[]> buffer, int32_t length);

  // Ordered so that the small members share 8-byte slots: the component caches one item per
  // record read, hundreds of thousands of them for a large log.
  TNTPersistent* owner_;
  int32_t number_ = 0;
  uint32_t eventId_ = 0;
  double timeGenerated_ = 0;
  double timeWritten_ = 0;
  // The strings until the list is made (see Strings), then empty: the list is the one truth.
  mutable TPackedStrings packedStrings_;
  TPooledString sourceName_;
  TPooledString computerName_;
  // Empty until resolved; then the name or "N/A".
  TPooledString username_;
  std::unique_ptr<uint8_t[]> data_;
  // The SID's length is stored in the first kSidHeaderSize bytes of its own block (which keeps
  // the SID 8-byte aligned): most records have no SID, and the field it spares brings the item
  // down a heap size class.
  static constexpr size_t kSidHeaderSize = 8;
  std::unique_ptr<uint8_t[]> sid_;
  int32_t dataLength_ = 0;
  uint16_t eventCategory_ = 0;
  TEventType eventType_ = TEventType::Success;
  // The string list, the byte list and the wrapper, which only items asked for them need: one
  // pointer for all three keeps the cached items small. Mutable because the list is made on
  // demand from const access too; an item is used by one thread at a time.
  struct TSideParts;
  TSideParts& SideParts() const;
  // The list when it has been made, else null.
  TStringList* MadeList() const;
  mutable std::unique_ptr<TSideParts> sideParts_;
};

}  // namespace corvane
