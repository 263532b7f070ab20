// The process-wide cache of account names resolved from security identifiers (SIDs). SIDs are
// handled as byte buffers with an explicit length, ordered by length first, then bytewise as
// unsigned values. Has no lock of its own: the account lookup serialises the one shared store.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/ObjList.h"

namespace corvane {

// One cache entry: a SID and the names it resolved to.
class TSidHolder : public TPersistent {
 public:
  TSidHolder() = default;
  TSidHolder(const void* sid, int32_t length, const std::string& accountName,
             const std::string& domainName);

  const TClassInfo& ClassInfo() const override;
  static const TClassInfo& StaticClassInfo();

  // Replaces the SID by a copy of `length` bytes at `sid` and sets both names; a length of 0
  // leaves no SID and empty names. A negative length, or bytes missing, raises.
  void SetValue(const void* sid, int32_t length, const std::string& accountName,
                const std::string& domainName);

  const uint8_t* Sid() const { return sid_.empty() ? nullptr : sid_.data(); }
  int32_t SidLength() const { return static_cast<int32_t>(sid_.size()); }
  const std::string& AccountName() const { return accountName_; }
  const std::string& DomainName() const { return domainName_; }

 private:
  // Keeps its capacity across SetValue calls, so reloading a search key of a size seen before
  // allocates nothing.
  std::vector<uint8_t> sid_;
  std::string accountName_;
  std::string domainName_;
};

// The SID order: the shorter first; for equal lengths the first differing byte, unsigned.
int CompareSid(const uint8_t* a, int32_t lengthA, const uint8_t* b, int32_t lengthB);
// TObjectCompare over TSidHolder entries; an empty slot sorts first.
int CompareSidHolder(const TPersistent* entry, const TPersistent& key);

class TSidStore : public TObjectList {
 public:
  explicit TSidStore(TComponent* owner);
  ~TSidStore() override = default;

  const TClassInfo& ClassInfo() const override;
  static const TClassInfo& StaticClassInfo();

  // Files a new entry at its sorted position (in front of any equal one); returns the position.
  int Add(const void* sid, int32_t length, const std::string& accountName,
          const std::string& domainName);
  // Position of the first entry with this SID, or -1. Loads the SID into the preallocated
  // search key, so a lookup creates no entry.
  int IndexOf(const void* sid, int32_t length);
  void GetNames(int index, std::string& accountName, std::string& domainName) const;

 private:
  TSidHolder compareSid_;
};

// The one cache of the process, shared by all components and keyed by SID alone (not by the
// machine that resolved it). Created at first use, destroyed with its entries at unloading.
TSidStore& GlobalSidStore();

}  // namespace corvane
