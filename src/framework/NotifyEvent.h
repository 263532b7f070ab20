// A notification handler: called with the object that sends the notification.
#pragma once

#include <functional>

#include "framework/Persistent.h"

namespace corvane {

using TNotifyEvent = std::function<void(TPersistent* sender)>;

}  // namespace corvane
