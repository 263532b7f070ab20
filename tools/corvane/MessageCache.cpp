#include "MessageCache.h"

#include "framework/OleSysError.h"

namespace corvane::cli {

HMODULE TMessageCache::ModuleFor(const std::string& source) {
  const auto known = modulesBySource_.find(source);
  if (known != modulesBySource_.end()) return known->second;
  std::string file;
  try {
    file = component_.GetMessageFile(source);
  } catch (const EOleSysError&) {
    // A source key without a readable message file: the replacement text, as for no key.
  }
  auto found = modulesByFile_.find(file);
  if (found == modulesByFile_.end()) {
    found = modulesByFile_.emplace(file, LoadMessageModule(file)).first;
  }
  return modulesBySource_[source] = found->second.get();
}

std::string TMessageCache::Text(const TRawRecord& record) {
  item_.Reset();
  item_.SetEventId(record.EventId);
  item_.SetSourceName(std::string(record.SourceName));
  for (auto s : record.Strings) item_.Strings().Add(std::string(s));
  if (item_.SourceName().empty()) return {};
  std::string text;
  const HMODULE module = ModuleFor(item_.SourceName());
  if (module && FormatEventMessage(module, item_, text)) return text;
  return DescriptionNotFound(item_);
}

}  // namespace corvane::cli
