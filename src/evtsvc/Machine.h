// The computer whose logs and registry a call works on. Every handle keeps the machine it was
// opened on, and everything machine-specific (its name, its %SystemRoot%, its registry) is asked
// of this interface, so that other machines can be added without touching the log code.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

#include "Owners.h"

namespace corvane::evtsvc {

class TMachine {
 public:
  virtual ~TMachine() = default;

  virtual bool IsLocal() const = 0;
  // The name written events carry as their computer.
  virtual std::wstring ComputerName() const = 0;
  // Expands a registry path value (REG_EXPAND_SZ) as this machine sees it; %SystemRoot% is
  // this machine's Windows folder.
  virtual std::wstring ExpandPath(const std::wstring& value) const = 0;
  // A key below this machine's HKEY_LOCAL_MACHINE. Without `create`, a missing key gives an
  // empty owner; other failures throw. With `create`, `created` tells whether it was new.
  virtual UniqueKey OpenKey(const std::wstring& path, REGSAM access, bool create,
                            bool* created = nullptr) const = 0;
};

// One of this computer's names; empty when the system has none of that kind.
std::wstring ComputerNameOfKind(COMPUTER_NAME_FORMAT kind);

// The machine a caller names: null, empty, or one of this computer's own names (with or without
// leading backslashes) is the local machine; the machines of the simulated network
// (network/win/RemoteMachine.h) are reachable too. For any other name the result is null, and
// the caller fails the way the system does for an unreachable machine.
std::shared_ptr<const TMachine> FindMachine(std::wstring_view name);
std::shared_ptr<const TMachine> FindMachine(const char* name);
std::shared_ptr<const TMachine> FindMachine(const wchar_t* name);

}  // namespace corvane::evtsvc
