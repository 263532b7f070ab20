// The message text of an event record, for the control's Items and the command's --messages
// alike: the message file its source registered, found through the registry; the message read
// from that file (MessageFiles.h); the insertion strings put in by the system's formatter; or
// the replacement text when no message can be had.
//
// What it keeps between calls is chosen at creation:
//  - WhileUnchanged: the registry's answers while a change notification on the logs' key has not
//    fired, message tables while their files keep their size and times (checked at every call),
//    so that every answer is the one a fresh lookup would give and no module stays loaded. The
//    answers of another machine's registry, which cannot tell of changes, are not kept.
//  - ForItsLife: each answer from the first time it is asked for, and a module that only the
//    system can read stays loaded: one pass over a log, which reads each source's module once.
// Used by one thread at a time.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "core/EventItem.h"
#include "core/MessageFiles.h"
#include "system/BrowsReg.h"
#include "system/RegistryWatch.h"

namespace corvane {

class TMessageLookup {
 public:
  explicit TMessageLookup(TMessageKeeping keeping);

  // Message files are read from the registry of `machineName` from now on (empty for this
  // machine); the search for a source's key stays on this machine. Raises the registry error.
  void ConnectTo(const std::string& machineName);
  // The message module path registered for an event source, or empty; the registry's errors
  // pass to the caller.
  std::string MessageFile(const std::string& sourceName);
  // The text of `item`: its source's message with the insertion strings put in, or the
  // replacement text; empty for an item without a source. Raises what MessageFile raises.
  std::string Text(const TEventItem& item);

 private:
  // MessageFile, kept as the keeping allows.
  std::string KeptMessageFile(const std::string& sourceName);
  // FindKeyPath on this machine's HKEY_LOCAL_MACHINE, kept as the keeping allows.
  std::string FindSourceKey(const std::string& startPath, const std::string& sourceName);
  // Drops the registry's answers when the logs' key changed since the last call.
  void CheckRegistry();
  template <typename Key>
  void Keep(std::map<Key, std::string>& kept, const Key& key, const std::string& value);

  TMessageKeeping keeping_;
  TBrowseRegistry registry_;
  std::unique_ptr<TRegistryWatch> watch_;  // only while unchanged
  std::map<std::pair<std::string, std::string>, std::string> keyPaths_;
  std::map<std::string, std::string> files_;
  TMessageFiles modules_;
};

}  // namespace corvane
