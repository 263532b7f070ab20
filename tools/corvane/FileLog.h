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
#include "RecordView.h"

namespace corvane::cli {

class TFileLog {
 public:
  // Throws std::system_error when the file cannot be opened, evt::CorruptLog when it is no
  // event log or no record of it can be read. Damaged records are left out.
  explicit TFileLog(const std::string& path);
  TFileLog(const TFileLog&) = delete;
  TFileLog& operator=(const TFileLog&) = delete;

  uint32_t Count() const { return log_->Count(); }
  // The number of the record at `position` (0 the oldest, Count() - 1 the newest).
  uint32_t NumberAt(uint32_t position) const { return log_->NumberAt(position); }
  // Record `number` (a NumberAt) into `record`, whose room is reused from one record to the
  // next; its position field is left to the caller.
  void Read(uint32_t number, DumpRecord& record);
  // Record `number` for the filters: its texts are converted only when they are asked for. The
  // view holds until the next Fetch or Read.
  TRecordView& Fetch(uint32_t number);
  // The record last fetched, as Read gives it.
  void Decode(DumpRecord& record);

 private:
  class TFetched : public TRecordView {
   public:
    explicit TFetched(TFileLog& log) : log_(log) {}
    void Reset(const std::vector<uint8_t>& bytes);
    const TRecordHead& Head() const override { return head_; }
    const std::string& Source() override;
    const std::string& Computer() override;
    const std::vector<std::string>& Strings() override;

   private:
    void ReadNames();
    TFileLog& log_;
    TRecordHead head_;
    bool names_ = false, strings_ = false;
    std::string source_, computer_;
    std::u16string sourceUnits_, computerUnits_;  // as the file holds them
    std::vector<std::string> texts_;
  };

  const evt::Record& Decoded();

  evt::TFileStorage storage_;
  std::unique_ptr<evt::TLogFile> log_;
  std::vector<uint8_t> bytes_;
  evt::Record decoded_;
  bool isDecoded_ = false;  // decoded_ holds bytes_
  TFetched fetched_{*this};
};

}  // namespace corvane::cli
