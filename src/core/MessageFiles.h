// Message texts of message modules, read from the module files without loading them: each
// file's tables are kept for as long as the file stays the same (its size and times, change
// time included, checked at every call), and the system's formatter puts the insertion strings
// into the text. A module is never held loaded between calls, so a module replaced on disk
// shows at the very next call.
//
// Whatever the file reader does not speak for (a path the loader would search for or complete,
// a module laid out unusually, a text that would not survive the trip through the ANSI code
// page) is loaded as data for the one call and formatted by the system, as before.
#pragma once

#include <map>
#include <string>

#include "core/EventItem.h"
#include "core/MessageModule.h"
#include "system/FileStamp.h"

namespace corvane {

class TMessageFiles {
 public:
  // The message text of `item` from the module at `path`, with the item's strings put in, as
  // the system formats it from the module loaded as data (language 0); false when the module
  // does not load or has no such message.
  bool Format(const std::string& path, const TEventItem& item, std::string& text);

 private:
  struct TFile {
    TFileStamp stamp;
    TModuleMessages messages;
  };

  // The module's messages as of now, or null when only the system can read the file.
  const TModuleMessages* Messages(const std::string& path);

  std::map<std::string, TFile> files_;
};

}  // namespace corvane
