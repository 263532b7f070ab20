#include "LogReader.h"

#include <cstring>

#include "framework/AnsiText.h"
#include "framework/Utf8.h"
#include "system/ErrorText.h"
#include "system/NT_vs_95.h"

namespace corvane::cli {

TLogReader::TLogReader(HANDLE log, bool backwards, uint32_t first, bool stopAtClear)
    : log_(log),
      direction_(backwards ? EVENTLOG_BACKWARDS_READ : EVENTLOG_FORWARDS_READ),
      seekTo_(first),
      buffer_(16384),
      stopAtClear_(stopAtClear) {}

bool TLogReader::Fill() {
  for (;;) {
    const DWORD mode = seekTo_ ? EVENTLOG_SEEK_READ : EVENTLOG_SEQUENTIAL_READ;
    DWORD read = 0, needed = 0;
    SetLastError(0);
    if (EventLogApi.ReadEventLogA(log_, mode | direction_, seekTo_, buffer_.data(),
                                  static_cast<DWORD>(buffer_.size()), &read, &needed)) {
      seekTo_ = 0;
      filled_ = read;
      return read > 0;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_HANDLE_EOF) return false;
    if (error == ERROR_EVENTLOG_FILE_CHANGED && stopAtClear_) {
      cleared_ = true;
      return false;
    }
    if (error == ERROR_INSUFFICIENT_BUFFER && needed > buffer_.size()) {
      buffer_.assign(needed, 0);
      continue;
    }
    RaiseLastSystemError();
    return false;
  }
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
    for (DWORD offset = 0; offset < filled_;) {
      const BYTE* record = buffer_.data() + offset;
      const DWORD available = filled_ - offset;
      DWORD length = 0;
      if (available >= sizeof length) std::memcpy(&length, record, sizeof length);
      // A length that cannot be right: decoding refuses the record and says why.
      if (length < kRawRecordFixedSize || length > available) {
        DecodeRawRecord(record, available);
        RaiseSystemError("1500: the event record's length is wrong");
      }
      ++count;
      if (!visit(std::span<const uint8_t>(record, length))) return count;
      offset += length;
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
