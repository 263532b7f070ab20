#include "ServiceRecords.h"

#include "LogReader.h"
#include "core/EventMessages.h"
#include "system/ErrorText.h"
#include "system/NT_vs_95.h"

namespace corvane::cli {

uint32_t RecordCount(HANDLE log) {
  DWORD count = 0;
  if (!EventLogApi.GetNumberOfEventLogRecords(log, &count)) RaiseLastSystemError();
  return count;
}

void TServiceRecord::Reset(std::span<const uint8_t> bytes) {
  bytes_ = bytes;
  head_ = HeadOf(bytes.data(), bytes.size());
  decoded_ = hasNames_ = hasStrings_ = hasMessage_ = false;
}

const TRawRecord& TServiceRecord::Raw() {
  if (!decoded_) {
    raw_ = DecodeRawRecord(bytes_.data(), bytes_.size());
    decoded_ = true;
  }
  return raw_;
}

void TServiceRecord::ConvertNames() {
  if (hasNames_) return;
  source_ = AnsiToUtf8(Raw().SourceName);
  computer_ = AnsiToUtf8(Raw().ComputerName);
  hasNames_ = true;
}

const std::string& TServiceRecord::Source() {
  ConvertNames();
  return source_;
}

const std::string& TServiceRecord::Computer() {
  ConvertNames();
  return computer_;
}

const std::vector<std::string>& TServiceRecord::Strings() {
  if (!hasStrings_) {
    strings_.clear();
    for (auto text : Raw().Strings) strings_.push_back(AnsiToUtf8(text));
    hasStrings_ = true;
  }
  return strings_;
}

const std::string* TServiceRecord::Message() {
  if (!messages_) return nullptr;
  if (!hasMessage_) {
    item_.LoadFromRecord(bytes_.data(), bytes_.size());
    std::string text;
    try {
      text = messages_->Text(item_);
    } catch (const EOleSysError&) {
      // A source key without a readable message file: the replacement text, as for no key.
      text = DescriptionNotFound(item_);
    }
    message_ = AnsiToUtf8(text);
    hasMessage_ = true;
  }
  return &message_;
}

TServiceWalker::TServiceWalker(HANDLE log, TMessageLookup* messages)
    : log_(log), total_(RecordCount(log)), current_(messages) {
  if (total_ == 0) return;
  if (!EventLogApi.GetOldestEventLogRecord(log, &oldest_)) RaiseLastSystemError();
  // Walks seek by number: the handle's own position moves with every read. The newest number
  // comes from a first read, while the handle is fresh.
  TLogReader(log, true).ForEach([&](const TRawRecord& raw) {
    newest_ = raw.RecordNumber;
    return false;
  });
}

// Numbers follow one another, except in a damaged backup whose reading left records out: there
// the record is found by counting back from the newest.
uint32_t TServiceWalker::NumberAt(uint32_t position) {
  if (newest_ - oldest_ == total_ - 1) return oldest_ + position;
  uint32_t number = newest_;
  TLogReader(log_, true, newest_).ForEach([&](const TRawRecord& raw) {
    number = raw.RecordNumber;
    return true;
  }, total_ - position);
  return number;
}

void TServiceWalker::Walk(uint32_t start, bool backwards, const TVisit& visit) {
  int64_t position = start;
  TLogReader(log_, backwards, NumberAt(start)).ForEachBytes([&](std::span<const uint8_t> bytes) {
    current_.Reset(bytes);
    const bool more = visit(static_cast<uint32_t>(position), current_);
    position += backwards ? -1 : 1;
    return more;
  });
}

}  // namespace corvane::cli
