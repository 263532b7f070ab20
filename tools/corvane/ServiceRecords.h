// The records of a log read through the service, as the filters and summaries look at them:
// each record is decoded, and its texts converted from the ANSI code page, only as far as they ask.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "RecordView.h"
#include "RecordWalk.h"
#include "core/EventItem.h"
#include "core/MessageLookup.h"
#include "core/RawRecord.h"

namespace corvane::cli {

uint32_t RecordCount(HANDLE log);

// One record as the service delivered it. Its bytes, and the views into them, hold until the
// reader reads on.
class TServiceRecord : public TRecordView {
 public:
  // With `messages`, the record's message text is made when it is asked for.
  explicit TServiceRecord(TMessageLookup* messages) : messages_(messages) {}
  void Reset(std::span<const uint8_t> bytes);
  const TRawRecord& Raw();

  const TRecordHead& Head() const override { return head_; }
  const std::string& Source() override;
  const std::string& Computer() override;
  const std::vector<std::string>& Strings() override;
  const std::string* Message() override;

 private:
  void ConvertNames();

  TMessageLookup* messages_;
  TEventItem item_{nullptr};  // the record as the lookup takes it
  std::span<const uint8_t> bytes_;
  TRecordHead head_;
  TRawRecord raw_;
  std::string source_, computer_, message_;
  std::vector<std::string> strings_;
  bool decoded_ = false, hasNames_ = false, hasStrings_ = false, hasMessage_ = false;
};

// The records of an open log, by position, read through ReadEventLogA.
class TServiceWalker : public TRecordWalker {
 public:
  TServiceWalker(HANDLE log, TMessageLookup* messages);
  uint32_t Total() override { return total_; }
  void Walk(uint32_t start, bool backwards, const TVisit& visit) override;
  // The record being visited.
  TServiceRecord& Current() { return current_; }

 private:
  uint32_t NumberAt(uint32_t position);

  HANDLE log_;
  uint32_t total_;
  DWORD oldest_ = 0;
  uint32_t newest_ = 0;
  TServiceRecord current_;
};

}  // namespace corvane::cli
