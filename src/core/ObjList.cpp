#include "core/ObjList.h"

#include "framework/ClassError.h"
#include "framework/PropertyInfo.h"

namespace corvane {

TObjectList::TObjectList(TComponent* owner) : owner_(owner) {}

TObjectList::~TObjectList() {
  if (!ownsObjects_) {
    for (auto& slot : list_) slot.release();
  }
}

const TClassInfo& TObjectList::StaticClassInfo() {
  static const TClassInfo info("TObjectList", &TPersistent::StaticClassInfo(), {});
  return info;
}

const TClassInfo& TObjectList::ClassInfo() const { return StaticClassInfo(); }

void TObjectList::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) RaiseListIndexError(index);
}

void TObjectList::Remove(std::unique_ptr<TPersistent>& slot) {
  if (ownsObjects_) {
    slot.reset();
  } else {
    slot.release();
  }
}

void TObjectList::SetCount(int count) {
  if (count < 0) RaiseClassError("List count out of bounds (" + std::to_string(count) + ")");
  while (Count() > count) Delete(Count() - 1);
  list_.resize(static_cast<size_t>(count));
}

TPersistent* TObjectList::Items(int index) const {
  CheckIndex(index);
  return list_[static_cast<size_t>(index)].get();
}

void TObjectList::Put(int index, std::unique_ptr<TPersistent> object) {
  CheckIndex(index);
  auto& slot = list_[static_cast<size_t>(index)];
  if (slot.get() == object.get()) {
    object.release();
    return;
  }
  Remove(slot);
  slot = std::move(object);
}

int TObjectList::Add(std::unique_ptr<TPersistent> object) {
  list_.push_back(std::move(object));
  return Count() - 1;
}

void TObjectList::Insert(int index, std::unique_ptr<TPersistent> object) {
  if (index < 0 || index > Count()) RaiseListIndexError(index);
  list_.insert(list_.begin() + index, std::move(object));
}

void TObjectList::Delete(int index) {
  CheckIndex(index);
  Remove(list_[static_cast<size_t>(index)]);
  list_.erase(list_.begin() + index);
}

void TObjectList::Clear() {
  for (auto& slot : list_) Remove(slot);
  list_.clear();
}

bool TObjectList::Find(const TPersistent& key, TObjectCompare compare, int& index) const {
  const auto compareAt = [&](int i) { return compare(list_[static_cast<size_t>(i)].get(), key); };
  return BisectSorted(Count(), duplicates_, compareAt, index);
}

int TObjectList::AddSorted(std::unique_ptr<TPersistent> object, TObjectCompare compare) {
  if (!object) RaiseClassError("An empty entry has no sorted position");
  int index = 0;
  Find(*object, compare, index);
  Insert(index, std::move(object));
  return index;
}

}  // namespace corvane
