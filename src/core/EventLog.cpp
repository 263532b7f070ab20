#include "core/EventLog.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

#include "core/RawRecord.h"
#include "framework/PropertyInfo.h"
#include "system/ErrorText.h"
#include "system/NT_vs_95.h"
#include "system/TextLimits.h"

namespace corvane {

namespace {


// How a refused write ends its message.
constexpr char kNothingWritten[] = "Nothing was written.";
constexpr ULONGLONG kOldestCheckMilliseconds = 50;

[[noreturn]] void RaiseUnknownSource() { RaiseSystemError("Unknown SourceName"); }

[[noreturn]] void RaiseNotAvailable(int index) {
  RaiseSystemError("The event " + std::to_string(index) +
                   " is not available at server any more.");
}

// A read told that the log was cleared since the handle's last read; the handle then reads the
// log as it is now.
struct TLogChanged {};

bool IsBlank(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

uint32_t Load32(const uint8_t* at) {
  uint32_t value;
  std::memcpy(&value, at, sizeof(value));
  return value;
}

}  // namespace

TVEVivudAre::TVEVivudAre(TComponent* owner)
    : TNTPersistent(owner),
      messages_(std::make_unique<TMessageLookup>(TMessageKeeping::WhileUnchanged)),
      items_(std::make_unique<TObjectList>(this)),
      writeObject_(std::make_unique<TEventItem>(this)) {
  // Created last: nothing after it can fail and leave a suspended thread behind.
  waitThread_ = std::make_unique<TWaitThread>(*this);
}

TVEVivudAre::~TVEVivudAre() {
  // First: once the thread has ended, no change is handed over any more.
  waitThread_.reset();
  if (active_) {
    try {
      SetActive(false);
    } catch (...) {
      // A log that will not close is closed by its owner below; destruction goes on.
    }
  }
}

const TClassInfo& TVEVivudAre::ClassInfo() const { return StaticClassInfo(); }

const TClassInfo& TVEVivudAre::StaticClassInfo() {
  using P = Published<TVEVivudAre>;
  static const TClassInfo info(
      "TVEVivudAre", &TNTPersistent::StaticClassInfo(),
      {TNTPersistent::MachineNameProperty(),
       P::Boolean("Active", &TVEVivudAre::Active, &TVEVivudAre::SetActive, std::nullopt),
       P::String("SourceName", &TVEVivudAre::SourceName, &TVEVivudAre::SetSourceName),
       P::String("BackupFileName", &TVEVivudAre::BackupFileName,
                 &TVEVivudAre::SetBackupFileName),
       P::Boolean("IncludeUserName", &TVEVivudAre::IncludeUserName,
                  &TVEVivudAre::SetIncludeUserName, true),
       P::Event("OnChange"), TNTPersistent::LogonAsProperty()});
  return info;
}

void TVEVivudAre::SetSourceName(const std::string& value) {
  RequireSystemText(value, kMaxSourceName, "SourceName");
  sourceName_ = value;
}

void TVEVivudAre::SetBackupFileName(const std::string& value) {
  RequireSystemText(value, kMaxFileName, "BackupFileName");
  backupFileName_ = value;
}

void TVEVivudAre::SetOnChange(TNotifyEvent handler) {
  onChange_ = std::move(handler);
  waitThread_->SetHandlerAssigned(static_cast<bool>(onChange_));
}

void TVEVivudAre::DoChange() {
  // A clear that left as many records as were cached shows only when the log is asked.
  if (items_->Count() > 0 && ClearedSinceLastRead()) ForgetRecords();
  if (onChange_) onChange_(this);
}

void TVEVivudAre::StartWatching() { waitThread_->Resume(); }

void TVEVivudAre::Loaded() {
  TNTPersistent::Loaded();
  waitThread_->Resume();
  if (active_) {
    active_ = false;
    SetActive(true);
  }
}

// Opening and closing

void TVEVivudAre::SetActive(bool value) {
  if (value == active_) return;
  if (IsReading()) {
    active_ = true;
    return;
  }
  if (value) {
    if (IsBlank(backupFileName_)) {
      OpenLive();
    } else {
      OpenBackup();
    }
  } else {
    CloseLog();
  }
  active_ = static_cast<bool>(handle_);
}

void TVEVivudAre::OpenLive() {
  if (sourceName_.empty()) RaiseUnknownSource();
  const std::string machine = GetMachineName();
  SetLastError(0);
  TEventLogHandle log(EventLogApi.OpenEventLogA(StringOrNull(machine), sourceName_.c_str()));
  if (!log) RaiseLastSystemErrorOr("OpenEventLog failed without an error code");
  // Only the local machine's log signals changes. A log that cannot signal is closed again
  // (by its owner) rather than left open behind an inactive component.
  if (machine.empty() && IsWindowsNT()) {
    SetLastError(0);
    if (!EventLogApi.NotifyChangeEventLog(log.get(), waitThread_->ChangeEvent())) {
      RaiseLastSystemError();
    }
  }
  handle_ = std::move(log);
}

void TVEVivudAre::OpenBackup() {
  const std::string machine = GetMachineName();
  SetLastError(0);
  TEventLogHandle log(
      EventLogApi.OpenBackupEventLogA(StringOrNull(machine), backupFileName_.c_str()));
  if (!log) RaiseLastSystemErrorOr("OpenBackupEventLog failed without an error code");
  // Message files of a backup are looked up on the machine it was opened for.
  messages_->ConnectTo(machine);
  handle_ = std::move(log);
}

void TVEVivudAre::CloseLog() {
  ForgetRecords();
  SetLastError(0);
  if (!handle_.close()) RaiseLastSystemError();
}

void TVEVivudAre::ForgetRecords() {
  items_->Clear();
  readDirection_ = TReadDirection::Unchosen;
  backwardsStart_ = -1;
  resumeBySeek_ = false;
  cachedOldest_ = 0;
}

int TVEVivudAre::Count() const {
  if (!active_ || !handle_) return 0;
  DWORD count = 0;
  SetLastError(0);
  if (!EventLogApi.GetNumberOfEventLogRecords(handle_.get(), &count)) RaiseLastSystemError();
  return count > static_cast<DWORD>(INT_MAX) ? INT_MAX : static_cast<int>(count);
}

// Reading

TEventItem& TVEVivudAre::Objects(int index) {
  try {
    return ReadObject(index);
  } catch (const TLogChanged&) {
    ForgetRecords();
  }
  // The handle reads the log afresh after being told once; told again, the log keeps changing.
  try {
    return ReadObject(index);
  } catch (const TLogChanged&) {
    ForgetRecords();
    RaiseSystemError(SystemErrorText(ERROR_EVENTLOG_FILE_CHANGED));
  }
}

int TVEVivudAre::CountNoticingClear() {
  const int count = Count();
  if (items_->Count() == 0) return count;
  if (count < items_->Count()) {
    ForgetRecords();
    return count;
  }
  // Only a clear made up for by as many writes keeps the count; the oldest record's number moving
  // back shows it, and so does the log's word to this handle (the number stays when the log was
  // numbered from 1 before). Asking is more calls into the log service (remote calls on a real
  // system) for every record a script takes from the cache, so a walk through the cache asks at
  // most every kOldestCheckMilliseconds; a log that changed size is asked at once. (The tick
  // count is a read of memory; the precise clocks cost a call of their own.)
  const ULONGLONG now = GetTickCount64();
  if (count == countChecked_ && now - oldestChecked_ < kOldestCheckMilliseconds) return count;
  oldestChecked_ = now;
  countChecked_ = count;
  if (OldestRecordNumber() < cachedOldest_ || ClearedSinceLastRead()) ForgetRecords();
  return count;
}

DWORD TVEVivudAre::OldestRecordNumber() const {
  DWORD oldest = 0;
  // Without the function no number is known, and none is seen to move back.
  if (!EventLogApi.GetOldestEventLogRecord) return oldest;
  SetLastError(0);
  if (!EventLogApi.GetOldestEventLogRecord(handle_.get(), &oldest)) RaiseLastSystemError();
  return oldest;
}

bool TVEVivudAre::ClearedSinceLastRead() const {
  if (!handle_) return false;
  const DWORD direction = readDirection_ == TReadDirection::Backwards ? EVENTLOG_BACKWARDS_READ : EVENTLOG_FORWARDS_READ;
  // Room for no record: a read that is not told of a clear delivers nothing and moves nothing.
  uint8_t none = 0;
  DWORD read = 0;
  DWORD needed = 0;
  SetLastError(0);
  return !EventLogApi.ReadEventLogA(handle_.get(), EVENTLOG_SEQUENTIAL_READ | direction, 0, &none, 0, &read, &needed) &&
         GetLastError() == ERROR_EVENTLOG_FILE_CHANGED;
}

TEventItem& TVEVivudAre::ReadObject(int index) {
  const int count = CountNoticingClear();
  if (index < 0 || index >= count) RaiseNotAvailable(index);
  if (index < items_->Count()) {
    if (TPersistent* cached = items_->Items(index)) return static_cast<TEventItem&>(*cached);
  }
  if (items_->Count() == 0) {
    cachedOldest_ = OldestRecordNumber();
    oldestChecked_ = GetTickCount64();
    countChecked_ = count;
  }
  if (items_->Count() < count) items_->SetCount(count);
  if (readDirection_ == TReadDirection::Unchosen) {
    if (count / 2 >= index) {
      readDirection_ = TReadDirection::Forwards;
      readPosition_ = 0;
    } else {
      readDirection_ = TReadDirection::Backwards;
      readPosition_ = count - 1;
    }
  }
  // Records newer than the start of a backwards read lie behind it: they are read by number,
  // not by reading the whole log again.
  const bool newer = readDirection_ == TReadDirection::Backwards && backwardsStart_ >= 0 && index > backwardsStart_;
  if (!(newer ? SeekTo(index) : ReadUntil(index))) RaiseNotAvailable(index);
  return static_cast<TEventItem&>(*items_->Items(index));
}

bool TVEVivudAre::ReadUntil(int index) {
  const DWORD direction = readDirection_ == TReadDirection::Forwards ? EVENTLOG_FORWARDS_READ : EVENTLOG_BACKWARDS_READ;
  const int step = readDirection_ == TReadDirection::Forwards ? 1 : -1;
  TRecordBlocks blocks(handle_.get());
  for (;;) {
    if (resumeBySeek_) {
      const DWORD number = RecordNumberAt(readPosition_);
      if (number == 0 || !ReadBlock(blocks, EVENTLOG_SEEK_READ | direction, number)) return false;
      resumeBySeek_ = false;
    } else if (!ReadBlock(blocks, EVENTLOG_SEQUENTIAL_READ | direction, 0)) {
      return false;
    }
    StoreBlock(blocks, readPosition_, step);
    if (index < items_->Count() && items_->Items(index) != nullptr) return true;
  }
}

bool TVEVivudAre::SeekTo(int index) {
  const DWORD number = RecordNumberAt(index);
  if (number == 0) return false;
  TRecordBlocks blocks(handle_.get());
  // The log's read position follows every read, this one too.
  resumeBySeek_ = true;
  if (!ReadBlock(blocks, EVENTLOG_SEEK_READ | EVENTLOG_FORWARDS_READ, number)) return false;
  int32_t position = index;
  StoreBlock(blocks, position, 1);
  return items_->Items(index) != nullptr;
}

DWORD TVEVivudAre::RecordNumberAt(int32_t position) const {
  const int64_t number = int64_t{backwardsStartRecord_} + position - backwardsStart_;
  return number > 0 && number <= UINT32_MAX ? static_cast<DWORD>(number) : 0;
}

bool TVEVivudAre::ReadBlock(TRecordBlocks& blocks, DWORD flags, DWORD recordNumber) {
  switch (blocks.Read(flags, recordNumber)) {
    case TRecordBlocks::TRead::Records:
      return true;
    case TRecordBlocks::TRead::End:
    case TRecordBlocks::TRead::NoSuchRecord:
      return false;
    case TRecordBlocks::TRead::Cleared:
      break;
  }
  throw TLogChanged{};
}

void TVEVivudAre::StoreBlock(TRecordBlocks& blocks, int32_t& position, int step) {
  for (std::span<const uint8_t> record = blocks.Next(); !record.empty(); record = blocks.Next()) {
    if (step < 0 && backwardsStart_ < 0) {
      backwardsStart_ = position;
      backwardsStartRecord_ = Load32(record.data() + 8);
    }
    StoreRecord(record, position);
    position += step;
  }
}

void TVEVivudAre::StoreRecord(std::span<const uint8_t> record, int32_t position) {
  auto item = std::make_unique<TEventItem>(this);
  // Refuses a record that points outside itself; then nothing is stored.
  item->LoadFromRecord(record.data(), record.size());
  // Reading backwards from a newest record that came after the count can run past the oldest
  // position; such records have no place and are left out.
  if (position < 0) return;
  // Reading forwards, records written after the count follow the last position: the cache
  // grows to hold them where they belong.
  if (position >= items_->Count()) items_->SetCount(position + 1);
  // An item once handed out stays as it is.
  if (items_->Items(position) != nullptr) return;
  item->SetNumber(position);
  items_->Put(position, std::move(item));
}

// Writing

void TVEVivudAre::Add(TEventType eventType, const std::string& text) {
  RequireSystemText(text, kMaxEventText - 1, "The text of Add", kNothingWritten);
  Report(EventTypeToSystem(eventType), 0, 0, {text.c_str()}, nullptr, 0);
}

void TVEVivudAre::AddObject(const TEventItem& item) {
  const int count = item.StringCount();
  RequireAtMost(static_cast<size_t>(count), kMaxInsertionStrings, "The event of AddObject",
                "insertion strings", kNothingWritten);
  RequireAtMost(static_cast<size_t>(item.DataLength()), kMaxEventData,
                "The event data of AddObject", "bytes", kNothingWritten);
  std::vector<const char*> texts;
  texts.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    const std::string_view text = item.StringAt(i);
    RequireSystemText(text, kMaxInsertionString,
                      "The insertion string at index " + std::to_string(i) + " of AddObject",
                      kNothingWritten);
    texts.push_back(text.data());
  }
  Report(EventTypeToSystem(item.EventType()), item.EventCategory(), item.EventId(), texts,
         item.Data(), static_cast<DWORD>(item.DataLength()));
}

void TVEVivudAre::Report(WORD type, WORD category, DWORD eventId,
                         const std::vector<const char*>& strings, const void* data,
                         DWORD dataSize) {
  if (sourceName_.empty()) RaiseUnknownSource();
  const void* sid = includeUserName_ ? GetUserSid() : nullptr;
  const std::string machine = GetMachineName();
  SetLastError(0);
  TEventSourceHandle source(
      EventLogApi.RegisterEventSourceA(StringOrNull(machine), sourceName_.c_str()));
  if (!source) RaiseLastSystemErrorOr("RegisterEventSource failed without an error code");

  std::vector<const char*> table(strings);
  SetLastError(0);
  const BOOL reported = EventLogApi.ReportEventA(
      source.get(), type, category, eventId, const_cast<void*>(sid),
      static_cast<WORD>(table.size()), dataSize, table.empty() ? nullptr : table.data(),
      const_cast<void*>(data));
  const DWORD reportError = reported ? 0 : GetLastError();
  // The source is let go in every case; a failed report is what the caller hears about first.
  SetLastError(0);
  const bool deregistered = source.close();
  const DWORD deregisterError = deregistered ? 0 : GetLastError();
  if (!reported) {
    SetLastError(reportError);
    RaiseLastSystemError();
  }
  if (!deregistered) {
    SetLastError(deregisterError);
    RaiseLastSystemError();
  }
}

void TVEVivudAre::Clear() {
  SetLastError(0);
  if (!EventLogApi.ClearEventLogA(handle_.get(), nullptr)) RaiseLastSystemError();
  ForgetRecords();
}

void TVEVivudAre::BackupEventLog() {
  SetLastError(0);
  if (!EventLogApi.BackupEventLogA(handle_.get(), backupFileName_.c_str())) {
    RaiseLastSystemError();
  }
}

const void* TVEVivudAre::GetUserSid() {
  if (userSidFailed_) return nullptr;
  if (userSid_.empty()) {
    char name[256];
    DWORD nameLength = sizeof(name);
    if (GetUserNameA(name, &nameLength) && nameLength > 0) {
      char domain[256];
      DWORD domainLength = sizeof(domain);
      DWORD sidLength = 0;
      SID_NAME_USE use;
      EventLogApi.LookupAccountNameA(nullptr, name, nullptr, &sidLength, domain, &domainLength,
                                     &use);
      if (sidLength > 0) {
        std::vector<uint8_t> sid(sidLength);
        domainLength = sizeof(domain);
        if (EventLogApi.LookupAccountNameA(nullptr, name, sid.data(), &sidLength, domain,
                                           &domainLength, &use) &&
            SidFitsBuffer(sid.data(), sid.size())) {
          userSid_ = std::move(sid);
        }
      }
    }
    if (userSid_.empty()) userSidFailed_ = true;
  }
  return userSid_.empty() ? nullptr : userSid_.data();
}

}  // namespace corvane
