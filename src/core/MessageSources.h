// What the registry says about event sources and their message files, kept for as long as
// nothing changed below the logs' key: a change anywhere there (a source registered, moved or
// registered with another module, a log added or removed) drops all of it before the next
// lookup. Where the registry cannot tell of changes, nothing is kept.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "system/RegistryWatch.h"

namespace corvane {

class TMessageSources {
 public:
  TMessageSources();

  // FindKeyPath on the local HKEY_LOCAL_MACHINE, from `startPath` (below the logs' key).
  std::string FindKeyPath(const std::string& startPath, const std::string& sourceName);
  // What `lookup()` gives for `sourceName`: a lookup that reads only below the logs' key of the
  // local machine. Its failures pass to the caller and are not kept.
  template <typename Lookup>
  std::string MessageFile(const std::string& sourceName, Lookup&& lookup) {
    CheckWatch();
    const auto known = files_.find(sourceName);
    if (known != files_.end()) return known->second;
    std::string file = std::forward<Lookup>(lookup)();
    Keep(files_, sourceName, file);
    return file;
  }

 private:
  // Lookups kept at once; a log whose records name ever new sources starts the lists over.
  static constexpr size_t kKeptLookups = 4096;

  void CheckWatch();
  template <typename Key>
  static void Keep(std::map<Key, std::string>& kept, const Key& key, const std::string& value) {
    if (kept.size() >= kKeptLookups) kept.clear();
    kept.emplace(key, value);
  }

  TRegistryWatch watch_;
  std::map<std::pair<std::string, std::string>, std::string> keyPaths_;
  std::map<std::string, std::string> files_;
};

}  // namespace corvane
