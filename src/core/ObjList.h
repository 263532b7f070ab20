// An owning list of objects with a sorted search. The account name cache keeps its entries
// sorted in it; the event-log component uses it by position as its record cache, with empty
// slots for records not read yet.
#pragma once

#include <memory>
#include <vector>

#include "framework/Component.h"
#include "framework/Duplicates.h"
#include "framework/Persistent.h"

namespace corvane {

// Negative, 0 or positive as `entry` sorts before, equal to or after `key`. `entry` may be an
// empty slot (null).
using TObjectCompare = int (*)(const TPersistent* entry, const TPersistent& key);

class TObjectList : public TPersistent {
 public:
  // Empty, owning its objects, duplicates accepted. `owner` is kept, not owned.
  explicit TObjectList(TComponent* owner);
  // Destroys the owned objects (or releases them to their owner when OwnsObjects is off).
  ~TObjectList() override;
  TObjectList(const TObjectList&) = delete;
  TObjectList& operator=(const TObjectList&) = delete;

  const TClassInfo& ClassInfo() const override;
  static const TClassInfo& StaticClassInfo();

  TComponent* Owner() const { return owner_; }
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates duplicates) { duplicates_ = duplicates; }
  // With OwnsObjects off, removing an entry releases it instead of destroying it: whoever put
  // it in keeps it.
  bool OwnsObjects() const { return ownsObjects_; }
  void SetOwnsObjects(bool owns) { ownsObjects_ = owns; }

  // Number of slots, empty ones included.
  int Count() const { return static_cast<int>(list_.size()); }
  // Grows with empty slots or shrinks (removing the slots from the end, as Delete does).
  void SetCount(int count);

  // The object at `index` (null for an empty slot); stays owned by the list.
  TPersistent* Items(int index) const;
  // Stores `object` at `index`; the object that stood there is removed as Delete would.
  void Put(int index, std::unique_ptr<TPersistent> object);
  // Appends; returns the new position.
  int Add(std::unique_ptr<TPersistent> object);
  void Insert(int index, std::unique_ptr<TPersistent> object);

  virtual void Delete(int index);
  virtual void Clear();

  // Bisection search over entries kept in `compare` order. Returns whether an equal entry
  // exists; `index` is its position or where `key` would be inserted. With Duplicates at
  // Accept, the first of several equal entries.
  bool Find(const TPersistent& key, TObjectCompare compare, int& index) const;
  // Inserts `object` at the position Find gives for it (before its equals); returns it.
  int AddSorted(std::unique_ptr<TPersistent> object, TObjectCompare compare);

 private:
  void CheckIndex(int index) const;
  void Remove(std::unique_ptr<TPersistent>& slot);

  TDuplicates duplicates_ = TDuplicates::Accept;
  bool ownsObjects_ = true;
  std::vector<std::unique_ptr<TPersistent>> list_;
  TComponent* owner_;
};

}  // namespace corvane
