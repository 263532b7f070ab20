#include "core/RecordBlocks.h"

#include <cstring>
#include <string>

#include "core/RawRecord.h"
#include "framework/SystemError.h"
#include "system/NT_vs_95.h"

namespace corvane {

TRecordBlocks::TRead TRecordBlocks::Read(DWORD flags, DWORD recordNumber) {
  filled_ = offset_ = 0;
  for (bool grown = false;; grown = true) {
    DWORD read = 0;
    DWORD needed = 0;
    SetLastError(0);
    if (EventLogApi.ReadEventLogA(log_, flags, recordNumber, block_.data(),
                                  static_cast<DWORD>(block_.size()), &read, &needed)) {
      if (read == 0 || read > block_.size()) RaiseSystemError(SystemErrorText(kEventLogFileCorrupt));
      filled_ = read;
      return TRead::Records;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_HANDLE_EOF) return TRead::End;
    if (error == ERROR_INVALID_PARAMETER && (flags & EVENTLOG_SEEK_READ)) return TRead::NoSuchRecord;
    if (error == ERROR_EVENTLOG_FILE_CHANGED) return TRead::Cleared;
    // One record needs more than the block: take exactly what it needs from now on. A block
    // grown once that is still too small, or a need no larger, is the log's fault.
    if (error == ERROR_INSUFFICIENT_BUFFER && !grown && needed > block_.size()) {
      block_.assign(needed, 0);
      continue;
    }
    RaiseLastSystemErrorOr("ReadEventLog failed without an error code");
  }
}

std::span<const uint8_t> TRecordBlocks::Next() {
  if (offset_ >= filled_) return {};
  const uint8_t* record = block_.data() + offset_;
  const DWORD available = filled_ - offset_;
  uint32_t length = 0;
  if (available >= sizeof length) std::memcpy(&length, record, sizeof length);
  if (length < kRawRecordFixedSize || length > available) {
    // Decoding refuses the record and says why; what it lets pass is still wrong here.
    DecodeRawRecord(record, available);
    RaiseSystemError(std::to_string(kEventLogFileCorrupt) + ": the event record's length is wrong");
  }
  offset_ += length;
  return {record, length};
}

}  // namespace corvane
