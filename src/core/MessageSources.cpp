#include "core/MessageSources.h"

#include "core/EventLog.h"
#include "core/EventMessages.h"

namespace corvane {

TMessageSources::TMessageSources() : watch_(HKEY_LOCAL_MACHINE, kEventLogKeyPath) {}

void TMessageSources::CheckWatch() {
  if (watch_.Quiet()) return;
  keyPaths_.clear();
  files_.clear();
}

std::string TMessageSources::FindKeyPath(const std::string& startPath, const std::string& sourceName) {
  CheckWatch();
  const auto key = std::make_pair(startPath, sourceName);
  const auto known = keyPaths_.find(key);
  if (known != keyPaths_.end()) return known->second;
  std::string path = corvane::FindKeyPath(HKEY_LOCAL_MACHINE, startPath, sourceName);
  Keep(keyPaths_, key, path);
  return path;
}

}  // namespace corvane
