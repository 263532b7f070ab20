#include "EventLogService.h"

#include <cstring>
#include <exception>
#include <optional>
#include <string>

#include "AnsiRecord.h"
#include "LogHandle.h"
#include "LogRegistry.h"
#include "Machine.h"
#include "SharedLog.h"
#include "Win32Error.h"
#include "framework/AnsiText.h"

namespace corvane::evtsvc {
namespace {

// Limits the system documents for one event.
constexpr size_t kMaxStringLength = 31839;  // characters per insertion string
constexpr DWORD kMaxDataSize = 261991;      // bytes of event data
// The largest read buffer the system accepts.
constexpr DWORD kMaxReadSize = 0x7FFFF;

std::shared_ptr<const TMachine> ReachMachine(const char* server) {
  auto machine = FindMachine(server);
  if (!machine) ThrowWin32(RPC_S_SERVER_UNAVAILABLE);
  return machine;
}

HANDLE AddHandle(std::shared_ptr<TLogHandle> handle) {
  handle->clearsSeen =
      handle->log->Read([](const TSharedLog::Snapshot& snapshot) { return snapshot.clearCount; });
  return THandleTable::Add(std::move(handle));
}

uint32_t SecondsSince1970() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const uint64_t ticks = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return static_cast<uint32_t>((ticks - 116444736000000000ull) / 10000000ull);
}

// A backup file being written: created new, so an existing file is refused with
// ERROR_ALREADY_EXISTS and never touched, and deleted again unless Keep() is reached.
class TBackupTarget {
 public:
  explicit TBackupTarget(std::wstring path)
      : path_(std::move(path)),
        storage_(std::make_unique<TWin32Storage>(path_, TWin32Storage::TMode::CreateNew)) {}
  TBackupTarget(const TBackupTarget&) = delete;
  TBackupTarget& operator=(const TBackupTarget&) = delete;
  ~TBackupTarget() {
    if (kept_) return;
    storage_.reset();
    DeleteFileW(path_.c_str());
  }

  evt::TStorage& storage() { return *storage_; }
  void Keep() {
    storage_->Flush();
    kept_ = true;
  }

 private:
  std::wstring path_;
  std::unique_ptr<TWin32Storage> storage_;
  bool kept_ = false;
};

// Fills `out` with the 8-bit forms of the records from `seekTo`, or else on from `lastRead` (the
// end the direction starts from when there is none), and marks the last one delivered.
ReadOutcome FillBuffer(const evt::TLogFile& file, bool forwards, std::optional<uint32_t> seekTo,
                       std::optional<TReadMark>& lastRead, uint8_t* out, DWORD size, TScratch& scratch) {
  const uint32_t count = file.Count();
  const uint32_t oldest = count ? file.OldestRecordNumber() : 0;
  const uint32_t newest = count ? file.NumberAt(count - 1) : 0;
  uint32_t number;
  if (seekTo) {
    if (count == 0 || *seekTo < oldest || *seekTo > newest || !file.Holds(*seekTo)) {
      ThrowWin32(ERROR_INVALID_PARAMETER);
    }
    number = *seekTo;
  } else if (!lastRead) {
    if (count == 0) return {ERROR_HANDLE_EOF, 0, 0};
    number = forwards ? oldest : newest;
  } else {
    // The system keeps one read position per handle; a read turned around starts again from the
    // record it last delivered. Backwards past the oldest record the number is 0, which no
    // record has.
    number = lastRead->number;
    if (lastRead->forwards == forwards) number = forwards ? number + 1 : number - 1;
    // Records overwritten since the last read are gone; a forwards reader goes on with the
    // oldest one left.
    if (forwards && count && number < oldest) number = oldest;
  }

  DWORD used = 0;
  while (count && number >= oldest && number <= newest) {
    // A damaged record that the backup's reading left out is passed over.
    if (!file.Holds(number)) {
      number = forwards ? number + 1 : number - 1;
      continue;
    }
    try {
      file.RecordBytes(number, scratch.stored);
      if (scratch.stored.empty()) break;
      evt::DecodeRecordView(scratch.stored.data(), scratch.stored.size(), scratch.decoded);
      AnsiRecord(scratch.decoded, scratch.record);
    } catch (const evt::TCorruptLog&) {
      // The records before a damaged one are delivered; the next read reports the damage.
      if (used > 0) break;
      throw;
    }
    if (scratch.record.size() > size - used) {
      if (used == 0) return {ERROR_INSUFFICIENT_BUFFER, 0, static_cast<DWORD>(scratch.record.size())};
      break;
    }
    std::memcpy(out + used, scratch.record.data(), scratch.record.size());
    used += static_cast<DWORD>(scratch.record.size());
    lastRead = TReadMark{number, forwards};
    number = forwards ? number + 1 : number - 1;
  }
  if (used == 0) return {ERROR_HANDLE_EOF, 0, 0};
  return {ERROR_SUCCESS, used, 0};
}

}  // namespace

HANDLE OpenLog(const char* server, const char* name) {
  auto machine = ReachMachine(server);
  std::wstring logName = AnsiToWide(name);
  const LogConfig config = LogForOpen(*machine, logName);
  return AddHandle(std::make_shared<TLogHandle>(machine, TSharedLog::OpenLive(config), config.name,
                                               std::move(logName), false));
}

HANDLE OpenBackupLog(const char* server, const char* file) {
  auto machine = ReachMachine(server);
  std::wstring path = AnsiToWide(file);
  if (path.empty()) ThrowWin32(ERROR_INVALID_PARAMETER);
  auto log = TSharedLog::OpenBackup(path);
  return AddHandle(std::make_shared<TLogHandle>(machine, std::move(log), path, std::wstring(), true));
}

HANDLE RegisterSource(const char* server, const char* source) {
  auto machine = ReachMachine(server);
  std::wstring sourceName = AnsiToWide(source);
  // The Security log is written by the system alone.
  if (IsSecurityLog(sourceName)) ThrowWin32(ERROR_ACCESS_DENIED);
  const LogConfig config = LogForSource(*machine, sourceName);
  if (IsSecurityLog(config.name)) ThrowWin32(ERROR_ACCESS_DENIED);
  return AddHandle(std::make_shared<TLogHandle>(machine, TSharedLog::OpenLive(config), config.name,
                                               std::move(sourceName), false));
}

void CloseLog(HANDLE handle) { THandleTable::Remove(handle); }

DWORD CountRecords(HANDLE handle) {
  const auto log = THandleTable::Find(handle);
  return log->log->CurrentCounts().count;
}

DWORD OldestRecord(HANDLE handle) {
  const auto log = THandleTable::Find(handle);
  return log->log->CurrentCounts().oldest;
}

ReadOutcome ReadRecords(HANDLE handle, DWORD flags, DWORD recordNumber, void* buffer, DWORD size) {
  const auto log = THandleTable::Find(handle);
  if (size > kMaxReadSize) ThrowWin32(ERROR_INVALID_PARAMETER);
  const bool forwards = (flags & EVENTLOG_FORWARDS_READ) != 0;
  const std::optional<uint32_t> seekTo =
      (flags & EVENTLOG_SEEK_READ) != 0 ? std::optional<uint32_t>(recordNumber) : std::nullopt;

  std::lock_guard guard(log->mutex);
  // The read may run more than once (TSharedLog::Read): the handle's state is updated from the
  // run that counts, afterwards, and so is what it failed with passed on.
  struct TRead {
    ReadOutcome outcome{};
    std::optional<TReadMark> lastRead;
    uint32_t clears = 0;
    bool cleared = false;  // the log was cleared while this handle was walking through it
    std::exception_ptr failure;
  };
  const TRead read = log->log->Read([&](const TSharedLog::Snapshot& snapshot) -> TRead {
    TRead result;
    result.clears = snapshot.clearCount;
    result.lastRead = log->lastRead;
    // A reader that was walking through the log before it was cleared is told once, and then
    // starts over.
    if (result.clears != log->clearsSeen) {
      result.cleared = result.lastRead.has_value();
      result.lastRead.reset();
      if (result.cleared) return result;
    }
    try {
      result.outcome = FillBuffer(snapshot.file, forwards, seekTo, result.lastRead,
                                  static_cast<uint8_t*>(buffer), size, log->scratch);
    } catch (...) {
      result.failure = std::current_exception();
    }
    return result;
  });
  log->clearsSeen = read.clears;
  log->lastRead = read.lastRead;
  if (read.cleared) ThrowWin32(ERROR_EVENTLOG_FILE_CHANGED);
  if (read.failure) std::rethrow_exception(read.failure);
  return read.outcome;
}

void Report(HANDLE handle, const TEventToReport& event) {
  const auto log = THandleTable::Find(handle);
  if (log->backup) ThrowWin32(ERROR_INVALID_HANDLE);
  if (IsSecurityLog(log->logName)) ThrowWin32(ERROR_ACCESS_DENIED);
  if (event.dataSize > kMaxDataSize) ThrowWin32(ERROR_INVALID_PARAMETER);
  if (event.sid && !IsValidSid(event.sid)) ThrowWin32(ERROR_INVALID_PARAMETER);

  evt::Record record;
  record.timeGenerated = record.timeWritten = SecondsSince1970();
  record.eventId = event.id;
  record.eventType = event.type;
  record.eventCategory = event.category;
  record.sourceName = ToU16(log->sourceName);
  record.computerName = ToU16(log->machine->ComputerName());
  for (WORD i = 0; i < event.stringCount; ++i) {
    std::u16string text = AnsiToU16(event.strings[i]);
    if (text.size() > kMaxStringLength) ThrowWin32(ERROR_INVALID_PARAMETER);
    record.strings.push_back(std::move(text));
  }
  if (event.sid) {
    const auto* sid = static_cast<const uint8_t*>(event.sid);
    record.sid.assign(sid, sid + GetLengthSid(event.sid));
  }
  if (event.dataSize > 0) {
    const auto* data = static_cast<const uint8_t*>(event.data);
    record.data.assign(data, data + event.dataSize);
  }
  log->log->Change([&](TSharedLog::ChangeAccess access) { access.file.Append(std::move(record)); },
                   TSharedLog::TNotify::Subscribers);
}

void ClearLog(HANDLE handle, const char* backupFile) {
  const auto log = THandleTable::Find(handle);
  if (log->backup) ThrowWin32(ERROR_INVALID_HANDLE);
  std::optional<TBackupTarget> target;
  if (backupFile && *backupFile) target.emplace(AnsiToWide(backupFile));

  std::lock_guard guard(log->mutex);
  log->log->Change(
      [&](TSharedLog::ChangeAccess access) {
        if (target) {
          access.file.CopyTo(target->storage());
          target->Keep();
        }
        access.file.Clear();
        access.shared.CountClear(access.change);
        // The handle that cleared the log knows it, and reads the new log from its start.
        log->clearsSeen = access.shared.ClearCount();
        log->lastRead.reset();
      },
      TSharedLog::TNotify::Subscribers);
}

void BackupLog(HANDLE handle, const char* backupFile) {
  const auto log = THandleTable::Find(handle);
  TBackupTarget target(AnsiToWide(backupFile));
  log->log->Use([&](TSharedLog::Access access) {
    access.file.CopyTo(target.storage());
    target.Keep();
  });
}

void NotifyChange(HANDLE handle, HANDLE event) {
  const auto log = THandleTable::Find(handle);
  if (log->backup || !log->machine->IsLocal()) ThrowWin32(ERROR_INVALID_HANDLE);
  UniqueHandle own;
  if (!DuplicateHandle(GetCurrentProcess(), event, GetCurrentProcess(), own.put(),
                       EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, 0)) {
    ThrowLastError();
  }
  std::lock_guard guard(log->mutex);
  log->log->Use([&](TSharedLog::Access access) {
    if (log->notification) access.shared.Unsubscribe(access.lock, log->notification.get());
    access.shared.Subscribe(access.lock, own.get());
  });
  log->notification = std::move(own);
}

}  // namespace corvane::evtsvc
