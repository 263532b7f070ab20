#include "FileLog.h"

#include "framework/Utf8.h"

namespace corvane::cli {

TFileLog::TFileLog(const std::string& path)
    : storage_(path, evt::TFileStorage::TMode::ReadOnly), log_(evt::TLogFile::Open(storage_, true)) {}

TRecordView& TFileLog::Fetch(uint32_t number) {
  log_->RecordBytes(number, bytes_);
  if (bytes_.empty()) throw evt::TCorruptLog("event record missing");
  isDecoded_ = false;
  // Too short to hold its fixed fields: decoding tells what is wrong with it.
  if (bytes_.size() < evt::kMinRecordSize) Decoded();
  fetched_.Reset(bytes_);
  return fetched_;
}

const evt::Record& TFileLog::Decoded() {
  if (!isDecoded_) {
    evt::DecodeRecord(bytes_.data(), bytes_.size(), decoded_);
    isDecoded_ = true;
  }
  return decoded_;
}

void TFileLog::Read(uint32_t number, DumpRecord& record) {
  Fetch(number);
  Decode(record);
}

void TFileLog::Decode(DumpRecord& record) {
  const evt::Record& decoded = Decoded();
  record.record = decoded.recordNumber;
  record.generated = decoded.timeGenerated;
  record.written = decoded.timeWritten;
  record.eventId = decoded.eventId;
  record.type = decoded.eventType;
  record.category = decoded.eventCategory;
  AssignUtf8(record.source, decoded.sourceName);
  AssignUtf8(record.computer, decoded.computerName);
  record.sid.assign(decoded.sid.begin(), decoded.sid.end());
  record.strings.resize(decoded.strings.size());
  for (size_t i = 0; i < decoded.strings.size(); ++i) {
    AssignUtf8(record.strings[i], decoded.strings[i]);
  }
  record.data.assign(decoded.data.begin(), decoded.data.end());
  record.message.reset();
}

void TFileLog::TFetched::Reset(const std::vector<uint8_t>& bytes) {
  head_ = HeadOf(bytes.data(), bytes.size());
  names_ = strings_ = false;
}

void TFileLog::TFetched::ReadNames() {
  // Read in place, without decoding the rest of the record.
  evt::DecodeNames(log_.bytes_.data(), log_.bytes_.size(), sourceUnits_, computerUnits_);
  AssignUtf8(source_, sourceUnits_);
  AssignUtf8(computer_, computerUnits_);
  names_ = true;
}

const std::string& TFileLog::TFetched::Source() {
  if (!names_) ReadNames();
  return source_;
}

const std::string& TFileLog::TFetched::Computer() {
  if (!names_) ReadNames();
  return computer_;
}

const std::vector<std::string>& TFileLog::TFetched::Strings() {
  if (!strings_) {
    const evt::Record& decoded = log_.Decoded();
    texts_.resize(decoded.strings.size());
    for (size_t i = 0; i < texts_.size(); ++i) AssignUtf8(texts_[i], decoded.strings[i]);
    strings_ = true;
  }
  return texts_;
}

}  // namespace corvane::cli
