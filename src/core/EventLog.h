// The event-log component: works on one event log, the live log of the local or a remote
// machine or a backup file of a log. Opens and closes it, counts its records, reads them on
// demand into a cache of items by position (0 the oldest, Count - 1 the newest), writes events,
// clears and backs up the log, and passes the system's change signal on as OnChange, run on the
// thread that created the component.
//
// Every operation runs on that thread; the wait thread only hands changes over to it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/EventItem.h"
#include "core/EventLogHandles.h"
#include "core/MessageLookup.h"
#include "core/ObjList.h"
#include "core/RecordBlocks.h"
#include "core/WaitThread.h"
#include "framework/NotifyEvent.h"
#include "framework/StringList.h"
#include "system/BrowsReg.h"
#include "system/NTCommon.h"

namespace corvane {

// Under HKEY_LOCAL_MACHINE: one key per log, one per source below it.
constexpr char kEventLogKeyPath[] = "SYSTEM\\CurrentControlSet\\Services\\EventLog";
// The longest text Add writes, in characters, its terminating zero included.
constexpr size_t kMaxEventText = 16383;
// The most insertion strings AddObject writes.
constexpr int kMaxInsertionStrings = 4095;

class TVEVivudAre : public TNTPersistent {
 public:
  explicit TVEVivudAre(TComponent* owner);
  // Closes the log, stops the wait thread (waiting at most 500 ms for it) and frees the records.
  ~TVEVivudAre() override;

  const TClassInfo& ClassInfo() const override;
  static const TClassInfo& StaticClassInfo();

  bool Active() const { return active_; }
  // Opens the live log (a blank BackupFileName) or the backup file, or closes the log. While
  // the component is being read from saved state only the wish is kept; Loaded opens the log.
  void SetActive(bool value);
  // The log to open and the event source that writes. Changes take effect at the next opening.
  // A name the system would not read as given (a NUL inside, too long) is refused and the old
  // one kept.
  const std::string& SourceName() const { return sourceName_; }
  void SetSourceName(const std::string& value);
  // A backup file to open instead of the live log, and the target of BackupEventLog. Refused
  // and kept like SourceName.
  const std::string& BackupFileName() const { return backupFileName_; }
  void SetBackupFileName(const std::string& value);
  // Whether written events carry the current user's SID.
  bool IncludeUserName() const { return includeUserName_; }
  void SetIncludeUserName(bool value) { includeUserName_ = value; }
  // Runs on the component's thread, with the component as sender, when the open local log
  // changed. The thread that created the component must retrieve messages for it to run.
  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(TNotifyEvent handler);

  // The number of records; 0 while closed.
  int Count() const;
  HANDLE Handle() const { return handle_.get(); }
  // The record at `index`, read on demand and cached; it stays owned by the component. An index
  // outside 0..Count-1, or a record the log no longer delivers (it was cleared meanwhile), raises
  // "The event %d is not available at server any more."; never returns null. The cache is
  // emptied, and the log read afresh, once the log is seen to have been cleared: by Clear, or by
  // anyone else (fewer records than were cached, an oldest record numbered lower than when the
  // caching began, a read told that the log changed, or a change signal after which the log
  // says so).
  TEventItem& Objects(int index);
  // The message text of the record at `index`: its source's message with the insertion strings
  // put in, or the replacement text. What is kept between calls (the registry's answers while
  // it reports no change, message tables while their files stay the same) gives what a fresh
  // lookup would; no module stays loaded.
  std::string Items(int index);
  // The message module path registered for an event source, or empty.
  std::string GetMessageFile(const std::string& sourceName);
  // Writes an event of `eventType` with `text` as its one insertion string.
  void Add(TEventType eventType, const std::string& text);
  // Writes the event `item` describes: type, category, identifier, strings and data.
  // Both refuse, before anything is written, what the system would not take as given: a NUL
  // inside a string, more strings, characters or data bytes than a write takes.
  void AddObject(const TEventItem& item);
  // The item scripts fill to compose an event.
  TEventItem& WriteObject() { return *writeObject_; }
  void Clear();
  // Writes the open log to BackupFileName.
  void BackupEventLog();
  // Calls OnChange with this component as sender, after emptying the cache if the change was a
  // clear.
  virtual void DoChange();
  // Starts handing changes to OnChange in a component that was not read from saved state (Loaded
  // starts it there); at once if it runs already.
  void StartWatching();

  // The calling user's SID, looked up once for the component's life; null when it cannot be
  // found (not asked again).
  const void* GetUserSid();

 protected:
  void Loaded() override;

 private:
  void OpenLive();
  void OpenBackup();
  void CloseLog();
  // Empties the cache and forgets where reading stood.
  void ForgetRecords();
  // Objects on the log as it stands; ends early when a read is told that the log was cleared
  // since the handle last read it, for Objects to read it afresh.
  TEventItem& ReadObject(int index);
  // The count, after emptying the cache when it shows that the log was cleared.
  int CountNoticingClear();
  // The oldest record's number; 0 when the system cannot tell.
  DWORD OldestRecordNumber() const;
  // Asks the log, without moving the read position, whether it was cleared since the handle
  // last read it.
  bool ClearedSinceLastRead() const;
  // Reads on from the current read position until `index` is cached or the log ends.
  bool ReadUntil(int index);
  // Reads the record at `index`, newer than where the backwards read began, by its number.
  bool SeekTo(int index);
  // The record number at `position`, counted from where the backwards read began; 0 when none
  // can be.
  DWORD RecordNumberAt(int32_t position) const;
  // One block; false at the end of the log or for a seek to a record the log does not hold. A
  // clear since the handle's last read throws TLogChanged.
  bool ReadBlock(TRecordBlocks& blocks, DWORD flags, DWORD recordNumber);
  // Caches the records of the block at `position` and on, `step` apart, moving `position` on
  // with each record taken. The first record of a backwards read marks where it began.
  void StoreBlock(TRecordBlocks& blocks, int32_t& position, int step);
  void StoreRecord(std::span<const uint8_t> record, int32_t position);
  void Report(WORD type, WORD category, DWORD eventId, const std::vector<const char*>& strings,
              const void* data, DWORD dataSize);

  bool active_ = false;
  TEventLogHandle handle_;
  std::string sourceName_;
  std::string backupFileName_;
  // Reads message files from the registry of the machine of the last opened backup.
  std::unique_ptr<TMessageLookup> messages_;
  // Owned: stopped and waited for first thing at destruction (WaitThread.h).
  std::unique_ptr<TWaitThread> waitThread_;
  TNotifyEvent onChange_;
  std::unique_ptr<TObjectList> items_;
  bool includeUserName_ = true;
  bool userSidFailed_ = false;
  std::vector<uint8_t> userSid_;
  // Chosen by the first record asked for after opening: forwards from the oldest record when it
  // lies in the older half, else backwards from the newest.
  enum class TReadDirection { Unchosen = 0, Forwards = 1, Backwards = 2 };
  TReadDirection readDirection_ = TReadDirection::Unchosen;
  int32_t readPosition_ = 0;
  // Where the backwards read began: the newest record's position (-1 before the first block)
  // and its record number. Records that arrive later are read by number from there.
  int32_t backwardsStart_ = -1;
  DWORD backwardsStartRecord_ = 0;
  // A seek read moved the log's own read position: the next sequential read seeks back first.
  bool resumeBySeek_ = false;
  // The oldest record's number when the cache began; a lower one later means the log was cleared.
  DWORD cachedOldest_ = 0;
  // When the oldest record's number was last compared, and the count then (CountNoticingClear).
  ULONGLONG oldestChecked_ = 0;
  int countChecked_ = 0;
  std::unique_ptr<TEventItem> writeObject_;
};

// Every log registered on the local machine, sorted, followed by every event source of those
// logs, sorted. Needs read access to the keys only. The caller owns the list.
std::unique_ptr<TStringList> GetEventSources();

}  // namespace corvane
