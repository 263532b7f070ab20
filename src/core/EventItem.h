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

#include "core/EventType.h"
#include "framework/Persistent.h"
#include "framework/StringList.h"

namespace corvane {

class TEventItem;
class TNTPersistent;

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
  // One byte longer, the earlier bytes kept; the owner then holds one buffer of the new length.
  void Add(uint8_t value);

 private:
  void CheckIndex(int32_t index) const;

  TEventItem& owner_;
};

class TEventItem : public TPersistent {
 public:
  // `owner` is the component that created the item (not owned; may be null for an item built by
  // hand, whose user name is then resolved on the local machine).
  explicit TEventItem(TNTPersistent* owner);
  ~TEventItem() override = default;
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
  const std::string& SourceName() const { return sourceName_; }
  void SetSourceName(const std::string& value) { sourceName_ = value; }
  const std::string& ComputerName() const { return computerName_; }
  void SetComputerName(const std::string& value) { computerName_ = value; }
  TStringList& Strings() { return strings_; }
  const TStringList& Strings() const { return strings_; }

  // Null exactly when the length is 0.
  const uint8_t* Data() const { return data_.get(); }
  uint8_t* Data() { return data_.get(); }
  int32_t DataLength() const { return dataLength_; }
  const uint8_t* Sid() const { return sid_.get(); }
  int32_t SidLength() const { return sidLength_; }
  TByteList& DataBytes() { return dataBytes_; }

 private:
  friend class TByteList;
  // Takes over `buffer` of `length` bytes (null and 0 for none) as the data.
  void AdoptData(std::unique_ptr<uint8_t[]> buffer, int32_t length);

  TNTPersistent* owner_;
  int32_t number_ = 0;
  double timeGenerated_ = 0;
  double timeWritten_ = 0;
  uint32_t eventId_ = 0;
  TEventType eventType_ = TEventType::Success;
  TStringList strings_;
  std::string username_;
  uint16_t eventCategory_ = 0;
  std::string sourceName_;
  std::string computerName_;
  int32_t dataLength_ = 0;
  std::unique_ptr<uint8_t[]> data_;
  std::unique_ptr<uint8_t[]> sid_;
  int32_t sidLength_ = 0;
  TByteList dataBytes_{*this};
};

}  // namespace corvane
