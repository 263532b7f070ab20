// The user name of an item: the one part of the unit that asks the system.
#include "core/EventItem.h"
#include "core/RawRecord.h"
#include "core/SidLookup.h"
#include "system/NTCommon.h"

namespace corvane {

namespace {

constexpr char kNoUser[] = "N/A";

}  // namespace

const std::string& TEventItem::Username() {
  if (!sid_) {
    username_ = TPooledString(kNoUser);
    return username_.Get();
  }
  if (!username_.Empty()) return username_.Get();
  std::string account;
  std::string domain;
  const std::string machine = owner_ ? owner_->GetMachineName() : std::string();
  // The system reads as many bytes as the SID states for itself: a SID from a damaged record
  // that claims more than it has is not handed over.
  if (SidFitsBuffer(Sid(), static_cast<size_t>(SidLength())) &&
      LookupAccountBySid(machine, Sid(), account, domain)) {
    username_ = TPooledString(domain + "\\" + account);
  } else {
    username_ = TPooledString(kNoUser);
  }
  return username_.Get();
}

}  // namespace corvane
