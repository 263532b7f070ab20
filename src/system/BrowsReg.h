// A small registry reader: one root key and at most one open key below it. Opens keys by
// relative or absolute path, lists subkey names, reads values as text, and can move its root to
// the registry of another machine. Reaches the registry only through the service and registry
// table. Used by one thread at a time.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/StringList.h"
#include "system/RegKey.h"

namespace corvane {

class TBrowseRegistry {
 public:
  // The local HKEY_LOCAL_MACHINE, no key open, access KEY_ENUMERATE_SUB_KEYS.
  TBrowseRegistry();
  ~TBrowseRegistry();
  TBrowseRegistry(const TBrowseRegistry&) = delete;
  TBrowseRegistry& operator=(const TBrowseRegistry&) = delete;

  HKEY RootKey() const { return rootKey_; }
  HKEY CurrentKey() const { return currentKey_.get(); }
  // The open key's path as it was reached from the root; empty when no key is open.
  const std::string& CurrentPath() const { return currentPath_; }
  // The access asked for when keys are opened.
  REGSAM Access() const { return access_; }
  void SetAccess(REGSAM access) { access_ = access; }

  void CloseKey();
  // The same root again keeps the open key; another root closes it (and a root that ConnectTo
  // made). `key` is not taken over: the caller keeps it open while this browser uses it.
  void SetRootKey(HKEY key);
  // A path starting with a backslash is taken from the root, any other from the open key (or
  // the root when none is open). Returns the registry's result, 0 on success; on failure the
  // open key stays open and current. Raises nothing.
  LONG OpenKey(const std::string& path);
  // Replaces `list`'s contents with the open key's subkey names, in the registry's order.
  void GetKeyNames(TStringList& list);
  // Roots this browser in the registry of `machineName` (empty for this machine), on the same
  // predefined key it stands on now, with no key open. Raises the registry error (and changes
  // nothing); returns true otherwise.
  bool ConnectTo(const std::string& machineName);
  // The raw data of value `name` of the open key. `size` is the first buffer's size (0 for 255)
  // and on return the data's byte count; `type` receives the value's type.
  std::vector<uint8_t> ReadValue(const std::string& name, DWORD& size, DWORD& type);
  // Text values up to their first zero byte (environment references left as they are), 32-bit
  // numbers in unsigned decimal, any other type empty.
  std::string ReadString(const std::string& name);
  // The same, but nothing when the open key has no value `name`; every other failure raises.
  std::optional<std::string> ReadOptionalString(const std::string& name);

 private:
  // The registry's result; `size` and `type` as ReadValue gives them.
  LONG QueryValue(const std::string& name, std::vector<uint8_t>& data, DWORD& size, DWORD& type);

  TRegKey currentKey_;
  HKEY rootKey_ = nullptr;
  std::string currentPath_;
  // Holds the root when ConnectTo made it; empty while the root is the caller's.
  TRegKey connectedRoot_;
  // The predefined key that the connected root was made from, passed again by a later ConnectTo.
  HKEY connectedFrom_ = nullptr;
  REGSAM access_ = KEY_ENUMERATE_SUB_KEYS;
};

// Raises the message of registry result `code` (system code 11).
[[noreturn]] void RaiseRegistryError(LONG code);

}  // namespace corvane
