// Tells whether anything changed below one registry key of the local machine (names and values,
// at any depth) since it was last asked, so that what was read there may be kept until then.
// Reaches the registry through the service and registry table, like every read it vouches for.
// Used by one thread at a time.
#pragma once

#include <windows.h>

#include <string>

#include "framework/WinHandle.h"
#include "system/RegKey.h"

namespace corvane {

class TRegistryWatch {
 public:
  TRegistryWatch(HKEY root, std::string path);
  TRegistryWatch(const TRegistryWatch&) = delete;
  TRegistryWatch& operator=(const TRegistryWatch&) = delete;

  // True when the watch was in place since the last call and saw no change. Otherwise it is
  // put in place anew (when the registry lets it) and false is returned: what was read below
  // the key must be read again, after this call.
  bool Quiet();

 private:
  void Arm();

  HKEY root_;
  std::string path_;
  TRegKey key_;
  TUniqueHandle changed_;  // manual reset, set by the registry
  bool armed_ = false;
};

}  // namespace corvane
