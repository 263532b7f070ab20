#include "core/MessageLookup.h"

#include "core/EventLog.h"
#include "core/EventMessages.h"
#include "framework/AsciiText.h"

namespace corvane {
namespace {

// Answers kept at once while unchanged; a log whose records name ever new sources starts the
// lists over.
constexpr size_t kKeptLookups = 4096;

}  // namespace

TMessageLookup::TMessageLookup(TMessageKeeping keeping)
    : keeping_(keeping),
      watch_(keeping == TMessageKeeping::WhileUnchanged
                 ? std::make_unique<TRegistryWatch>(HKEY_LOCAL_MACHINE, kEventLogKeyPath)
                 : nullptr),
      modules_(keeping) {
  registry_.SetAccess(KEY_READ);
}

void TMessageLookup::ConnectTo(const std::string& machineName) { registry_.ConnectTo(machineName); }

std::string TMessageLookup::MessageFile(const std::string& sourceName) {
  std::string start = kEventLogKeyPath;
  if (SameAsciiIgnoringCase(sourceName, "SECURITY")) start += "\\Security";
  const std::string found = FindSourceKey(start, sourceName);
  if (found.empty()) return {};
  std::string file;
  if (registry_.OpenKey(found + "\\" + sourceName) == ERROR_SUCCESS) {
    try {
      // A key without the value names no module: so it is with a log's own key, which is what
      // the search finds for a source named like its log.
      file = registry_.ReadOptionalString("EventMessageFile").value_or("");
    } catch (...) {
      registry_.CloseKey();
      throw;
    }
    registry_.CloseKey();
  }
  return ExpandSystemRoot(file);
}

std::string TMessageLookup::Text(const TEventItem& item) {
  const std::string& source = item.SourceName();
  if (source.empty()) return {};
  std::string text;
  if (modules_.Format(KeptMessageFile(source), item, text)) return text;
  return DescriptionNotFound(item);
}

std::string TMessageLookup::KeptMessageFile(const std::string& sourceName) {
  // Another machine's registry cannot tell of its changes: its answers are read afresh.
  if (keeping_ == TMessageKeeping::WhileUnchanged && registry_.RootKey() != HKEY_LOCAL_MACHINE)
    return MessageFile(sourceName);
  CheckRegistry();
  const auto known = files_.find(sourceName);
  if (known != files_.end()) return known->second;
  // A failure passes to the caller and is not kept.
  std::string file = MessageFile(sourceName);
  Keep(files_, sourceName, file);
  return file;
}

std::string TMessageLookup::FindSourceKey(const std::string& startPath, const std::string& sourceName) {
  CheckRegistry();
  const auto key = std::make_pair(startPath, sourceName);
  const auto known = keyPaths_.find(key);
  if (known != keyPaths_.end()) return known->second;
  std::string path = FindKeyPath(HKEY_LOCAL_MACHINE, startPath, sourceName);
  Keep(keyPaths_, key, path);
  return path;
}

void TMessageLookup::CheckRegistry() {
  if (!watch_ || watch_->Quiet()) return;
  keyPaths_.clear();
  files_.clear();
}

template <typename Key>
void TMessageLookup::Keep(std::map<Key, std::string>& kept, const Key& key, const std::string& value) {
  if (keeping_ == TMessageKeeping::WhileUnchanged && kept.size() >= kKeptLookups) kept.clear();
  kept.emplace(key, value);
}

}  // namespace corvane
