// A saved log file read straight from its bytes, without the service: the records in the form
// the command prints, their texts converted from the file's UTF-16 to UTF-8 with nothing lost to
// a code page. Needs no Windows header.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "DumpFormat.h"
#include "EvtFile.h"

namespace corvane::cli {

class TFileLog {
 public:
  // Throws std::system_error when the file cannot be opened, evt::CorruptLog when it is no
  // event log or no record of it can be read. Damaged records are left out.
  explicit TFileLog(const std::string& path);

  uint32_t Count() const { return log_->Count(); }
  // The number of the record at `position` (0 the oldest, Count() - 1 the newest).
  uint32_t NumberAt(uint32_t position) const { return log_->NumberAt(position); }
  // Record `number` (a NumberAt) into `record`, whose room is reused from one record to the
  // next; its position field is left to the caller.
  void Read(uint32_t number, DumpRecord& record);

 private:
  evt::TFileStorage storage_;
  std::unique_ptr<evt::TLogFile> log_;
  std::vector<uint8_t> bytes_;
  evt::Record decoded_;
};

}  // namespace corvane::cli
