#include "system/RegistryWatch.h"

#include <utility>

namespace corvane {

TRegistryWatch::TRegistryWatch(HKEY root, std::string path)
    : root_(root), path_(std::move(path)), changed_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

bool TRegistryWatch::Quiet() {
  if (armed_ && WaitForSingleObject(changed_.get(), 0) == WAIT_TIMEOUT) return true;
  Arm();
  return false;
}

void TRegistryWatch::Arm() {
  armed_ = false;
  if (!changed_ || !ServiceApi.RegNotifyChangeKeyValue) return;
  // Whatever changes from here on sets the event; what changed before is read afresh by the
  // caller, after this.
  ResetEvent(changed_.get());
  for (int attempt = 0; attempt < 2 && !armed_; ++attempt) {
    if (!key_) {
      HKEY key = nullptr;
      if (ServiceApi.RegOpenKeyExA(root_, path_.c_str(), 0, KEY_NOTIFY, &key) != ERROR_SUCCESS) return;
      key_.reset(key);
    }
    armed_ = ServiceApi.RegNotifyChangeKeyValue(
                 key_.get(), TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                 changed_.get(), TRUE) == ERROR_SUCCESS;
    // The key itself may have been deleted (and made again): the next try opens it anew.
    if (!armed_) key_.reset();
  }
}

}  // namespace corvane
