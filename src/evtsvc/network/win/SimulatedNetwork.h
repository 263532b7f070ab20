// The simulated network this process sees: the folder CORVANE_NETWORK names, read once per
// folder and kept. Without the variable there is no simulated network, and every machine but
// the local one is unreachable.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "evtsvc/network/Network.h"

namespace corvane::network {

// A machine of the network, and the network that keeps it alive.
struct THostRef {
  std::shared_ptr<const TNetwork> network;
  const THost* host = nullptr;

  explicit operator bool() const { return host != nullptr; }
};

// The network of CORVANE_NETWORK; null without the variable. A folder that cannot be read
// throws EOleSysError (ERROR_INVALID_DATA) with the reason.
std::shared_ptr<const TNetwork> CurrentNetwork();

// How a machine name given to a system function is served.
enum class TReach { Local, Simulated, Unknown };
struct Target {
  TReach reach = TReach::Unknown;
  THostRef host;  // for Simulated; for Local, the local machine's entry when the network has one
};
// Null, empty, and the local computer's names (with or without leading backslashes) are the
// local machine.
Target Resolve(std::wstring_view machine);
Target Resolve(const char* machine);
Target Resolve(const wchar_t* machine);

}  // namespace corvane::network
