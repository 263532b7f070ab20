#include "LogReader.h"

#include "framework/AnsiText.h"
#include "framework/Utf8.h"
#include "system/ErrorText.h"
#include "system/NT_vs_95.h"

namespace corvane::cli {

TLogReader::TLogReader(HANDLE log, bool backwards, uint32_t first, bool stopAtClear)
    : blocks_(log),
      direction_(backwards ? EVENTLOG_BACKWARDS_READ : EVENTLOG_FORWARDS_READ),
      seekTo_(first),
      stopAtClear_(stopAtClear) {}

bool TLogReader::Fill() {
  const DWORD mode = seekTo_ ? EVENTLOG_SEEK_READ : EVENTLOG_SEQUENTIAL_READ;
  switch (blocks_.Read(mode | direction_, seekTo_)) {
    case TRecordBlocks::TRead::Records:
      seekTo_ = 0;
      return true;
    case TRecordBlocks::TRead::End:
      return false;
    case TRecordBlocks::TRead::Cleared:
      if (!stopAtClear_) RaiseSystemError(SystemErrorText(ERROR_EVENTLOG_FILE_CHANGED));
      cleared_ = true;
      return false;
    case TRecordBlocks::TRead::NoSuchRecord:
      break;
  }
  RaiseSystemError(SystemErrorText(ERROR_INVALID_PARAMETER));
}

uint64_t TLogReader::ForEach(const std::function<bool(const TRawRecord&)>& visit, uint64_t limit) {
  uint64_t count = 0;
  if (limit == 0) return 0;
  ForEachBytes([&](std::span<const uint8_t> bytes) {
    ++count;
    return visit(DecodeRawRecord(bytes.data(), bytes.size())) && count < limit;
  });
  return count;
}

uint64_t TLogReader::ForEachBytes(const std::function<bool(std::span<const uint8_t>)>& visit) {
  uint64_t count = 0;
  while (Fill()) {
    for (std::span<const uint8_t> record = blocks_.Next(); !record.empty(); record = blocks_.Next()) {
      ++count;
      if (!visit(record)) return count;
    }
  }
  return count;
}

std::string AnsiToUtf8(std::string_view text) {
  // ASCII is the same in every ANSI code page and in UTF-8: most texts need no conversion.
  bool ascii = true;
  for (char c : text) ascii &= static_cast<unsigned char>(c) < 0x80;
  if (ascii) return std::string(text);
  return ToUtf8(AnsiToU16(text));
}

}  // namespace corvane::cli
