// Message texts for a whole dump: each source's message file is found once and its module
// loaded once for the run, unlike the component's Items, which looks both up at every call.
#pragma once

#include <map>
#include <string>

#include "core/EventLog.h"
#include "core/EventMessages.h"
#include "core/RawRecord.h"

namespace corvane::cli {

class TMessageCache {
 public:
  // The message text of a record, or the replacement text when there is none.
  std::string Text(const TRawRecord& record);

 private:
  HMODULE ModuleFor(const std::string& source);

  TVEVivudAre component_{nullptr};
  std::map<std::string, TUniqueModule> modulesByFile_;  // a file that would not load too
  std::map<std::string, HMODULE> modulesBySource_;
  TEventItem item_{nullptr};
};

}  // namespace corvane::cli
