#include "core/SidStore.h"

#include <cstring>

#include "framework/ClassError.h"
#include "framework/PropertyInfo.h"

namespace corvane {

TSidHolder::TSidHolder(const void* sid, int32_t length, const std::string& accountName,
                       const std::string& domainName) {
  SetValue(sid, length, accountName, domainName);
}

const TClassInfo& TSidHolder::StaticClassInfo() {
  static const TClassInfo info("TSidHolder", &TPersistent::StaticClassInfo(), {});
  return info;
}

const TClassInfo& TSidHolder::ClassInfo() const { return StaticClassInfo(); }

void TSidHolder::SetValue(const void* sid, int32_t length, const std::string& accountName,
                          const std::string& domainName) {
  if (length < 0) RaiseClassError("Invalid SID length " + std::to_string(length));
  if (length > 0 && !sid) RaiseClassError("SID bytes missing");
  sid_.clear();
  if (length == 0) {
    accountName_.clear();
    domainName_.clear();
    return;
  }
  const auto* bytes = static_cast<const uint8_t*>(sid);
  sid_.assign(bytes, bytes + length);
  accountName_ = accountName;
  domainName_ = domainName;
}

int CompareSid(const uint8_t* a, int32_t lengthA, const uint8_t* b, int32_t lengthB) {
  if (lengthA != lengthB) return lengthA < lengthB ? -1 : 1;
  if (lengthA == 0) return 0;
  // memcmp compares as unsigned char.
  const int r = std::memcmp(a, b, static_cast<size_t>(lengthA));
  return (r > 0) - (r < 0);
}

namespace {

const TSidHolder& AsSidHolder(const TPersistent& object) {
  const auto* holder = dynamic_cast<const TSidHolder*>(&object);
  if (!holder) RaiseClassError("A " + object.ClassName() + " is not a SID cache entry");
  return *holder;
}

}  // namespace

int CompareSidHolder(const TPersistent* entry, const TPersistent& key) {
  const TSidHolder& k = AsSidHolder(key);
  if (!entry) return -1;
  const TSidHolder& e = AsSidHolder(*entry);
  return CompareSid(e.Sid(), e.SidLength(), k.Sid(), k.SidLength());
}

TSidStore::TSidStore(TComponent* owner) : TObjectList(owner) {}

const TClassInfo& TSidStore::StaticClassInfo() {
  static const TClassInfo info("TSidStore", &TObjectList::StaticClassInfo(), {});
  return info;
}

const TClassInfo& TSidStore::ClassInfo() const { return StaticClassInfo(); }

int TSidStore::Add(const void* sid, int32_t length, const std::string& accountName,
                   const std::string& domainName) {
  return AddSorted(std::make_unique<TSidHolder>(sid, length, accountName, domainName),
                   CompareSidHolder);
}

int TSidStore::IndexOf(const void* sid, int32_t length) {
  static const std::string empty;
  compareSid_.SetValue(sid, length, empty, empty);
  int index = 0;
  return Find(compareSid_, CompareSidHolder, index) ? index : -1;
}

void TSidStore::GetNames(int index, std::string& accountName, std::string& domainName) const {
  const TPersistent* entry = Items(index);
  if (!entry) RaiseClassError("SID cache entry " + std::to_string(index) + " is empty");
  const TSidHolder& holder = AsSidHolder(*entry);
  accountName = holder.AccountName();
  domainName = holder.DomainName();
}

TSidStore& GlobalSidStore() {
  static TSidStore store(nullptr);
  return store;
}

}  // namespace corvane
