// The message tables of a message module, read from the module file's bytes instead of loading
// the module: the resource directory leads to the message-table resource (type 11, name 1) in
// each of its languages. Plain standard C++, so that the sanitizers and the fuzzer reach it.
//
// It reads what linkers and resource compilers write, the way the system's loader reads a
// module loaded as data: directory offsets from the resource root, data addresses through the
// section table. A module laid out otherwise (directories out of order, an entry of the wrong
// kind, anything outside the file, a table that fails its check, a module that leaves its
// resources to language satellites) is not guessed at: it is marked for the system to read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/MessageTable.h"

namespace corvane {

class TModuleMessages {
 public:
  enum class TSource {
    Tables,   // the tables below are the module's
    NoTable,  // a module without message tables: no message can be found in it
    System,   // only the system can tell what the module holds
  };

  // Never raises for what the bytes hold.
  static TModuleMessages Read(std::span<const uint8_t> file);

  TSource Source() const { return source_; }
  // The table the system's search with language 0 settles on: the first of `order` that the
  // module has, else the module's first. Null when it has none.
  const TMessageTable* Choose(std::span<const uint16_t> order) const;

 private:
  struct TLanguage {
    uint16_t language;
    TMessageTable table;
  };
  TSource source_ = TSource::System;
  std::vector<TLanguage> languages_;  // in the directory's order
};

// The languages the system tries, in order, for a lookup with language 0: neutral, the
// thread's, the user's and then its primary language, the system's and then its primary
// language, English (United States); repeats dropped.
std::vector<uint16_t> LanguageSearchOrder(uint16_t thread, uint16_t user, uint16_t system);

}  // namespace corvane
