// Message texts of message modules, read from the module files without loading them: each
// file's tables are kept for as long as the file stays the same (its size and times, change
// time included, checked at every call), and the system's formatter puts the insertion strings
// into the text. A module is never held loaded between calls, so a module replaced on disk
// shows at the very next call. (Kept for its life instead, for one pass over a log, nothing is
// checked again.)
//
// Whatever the file reader does not speak for (a path the loader would search for or complete,
// a module laid out unusually, a text that would not survive the trip through the ANSI code
// page) is loaded as data for the one call and formatted by the system, as before.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "core/EventItem.h"
#include "core/MessageModule.h"
#include "framework/WinHandle.h"
#include "system/FileStamp.h"

namespace corvane {

// How long what was read is kept (MessageLookup.h).
enum class TMessageKeeping { WhileUnchanged, ForItsLife };

class TMessageFiles {
 public:
  // ForItsLife: a file's tables are kept from the first read on, unchecked, and a module only
  // the system can read stays loaded as data.
  explicit TMessageFiles(TMessageKeeping keeping) : keeping_(keeping) {}

  // The message text of `item` from the module at `path`, with the item's strings put in, as
  // the system formats it from the module loaded as data (language 0); false when the module
  // does not load or has no such message.
  bool Format(const std::string& path, const TEventItem& item, std::string& text);

 private:
  struct TMessage {
    enum class TKind { Missing, Ansi, SystemOnly } kind;
    std::string ansi;  // as the ANSI formatter takes it
  };
  struct TFile {
    TFileStamp stamp;
    TModuleMessages messages;
    // Each message asked for, by table and identifier.
    std::map<std::pair<const TMessageTable*, uint32_t>, TMessage> texts;
  };

  // The file as it is now, or null when only the system can read it.
  TFile* File(const std::string& path);
  static TMessage Message(const TMessageTable& table, uint32_t id);
  bool FormatThroughTheSystem(const std::string& path, const TEventItem& item, std::string& text);

  TMessageKeeping keeping_;
  std::map<std::string, TFile> files_;
  std::map<std::string, TUniqueModule> loaded_;  // ForItsLife; null for a file that did not load
};

}  // namespace corvane
