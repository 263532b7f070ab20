#include "FileLog.h"

#include "Utf8.h"

namespace corvane::cli {

TFileLog::TFileLog(const std::string& path)
    : storage_(path, evt::TFileStorage::TMode::ReadOnly), log_(evt::TLogFile::Open(storage_, true)) {}

void TFileLog::Read(uint32_t number, DumpRecord& record) {
  log_->RecordBytes(number, bytes_);
  if (bytes_.empty()) throw evt::TCorruptLog("event record missing");
  evt::DecodeRecord(bytes_.data(), bytes_.size(), decoded_);
  record.record = decoded_.recordNumber;
  record.generated = decoded_.timeGenerated;
  record.written = decoded_.timeWritten;
  record.eventId = decoded_.eventId;
  record.type = decoded_.eventType;
  record.category = decoded_.eventCategory;
  AssignUtf8(record.source, decoded_.sourceName);
  AssignUtf8(record.computer, decoded_.computerName);
  record.sid.assign(decoded_.sid.begin(), decoded_.sid.end());
  record.strings.resize(decoded_.strings.size());
  for (size_t i = 0; i < decoded_.strings.size(); ++i) {
    AssignUtf8(record.strings[i], decoded_.strings[i]);
  }
  record.data.assign(decoded_.data.begin(), decoded_.data.end());
  record.message.reset();
}

}  // namespace corvane::cli
