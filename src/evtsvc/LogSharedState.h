// What every process that has one log file open shares with the others: the lock that
// serialises the processes that change the file, a change sequence (so that a reader can read
// the file without the lock and know that no change overlapped its read), a count of the clears
// (so that a reader notices that the log it was walking through is gone), and the table of
// processes to notify when the log changes.
//
// The sequence is odd while a change is under way and moves on by two with every change. A
// reader notes an even value, reads, and keeps what it read only when the value is still the
// same; otherwise it reads again, and after a few tries takes the lock. A writer that dies in the
// middle of a change leaves the value odd and the lock abandoned: whoever takes the lock next
// closes the change, and every process then rebuilds its view of the file, which the file
// format keeps readable at every step.
//
// Processes of both widths share the section: its layout is fixed-width fields at fixed
// offsets, with handle values stored as 64-bit numbers and no pointers.
//
// The lock is a named mutex and the rest a named section, both named after the log file's
// canonical path. A subscriber is the pair (process, event handle in that process); the
// subscribing process keeps its own duplicate of the caller's event so that the handle value
// stays valid while it is listed. A writer opens each subscriber process, duplicates the event
// into itself and sets it; entries of processes that are gone are dropped on the way. The
// process creation time guards against a reused process id.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "Owners.h"

namespace corvane::evtsvc {

class TLogSharedState {
 public:
  // The cross-process lock, held while it lives. Operations below take it as proof.
  class Lock {
   public:
    // `sequence` is closed and moved on when the previous owner died holding the lock.
    Lock(HANDLE mutex, uint64_t& sequence);
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    ~Lock();

   private:
    HANDLE mutex_;
  };

  explicit TLogSharedState(const std::wstring& canonicalPath);

  // When the previous owner died holding the lock, its change (if it was in one) is closed and
  // the sequence moved on, since it may have changed the file part way.
  Lock Acquire() const;

  // A change of the file, from its first write to its last, under the lock: the sequence is
  // odd while it lives.
  class Change {
   public:
    Change(TLogSharedState& state, const Lock& lock);
    Change(const Change&) = delete;
    Change& operator=(const Change&) = delete;
    ~Change();

   private:
    TLogSharedState& state_;
  };

  // Read without the lock. Even and equal before and after a read of the file means that no
  // change overlapped the read; equal to a value seen earlier, that the file is as it was then.
  uint64_t Sequence() const;
  // Whether the sequence still reads `before`, after the reads of the file that precede the call.
  bool Unchanged(uint64_t before) const;

  // Counted inside the change that clears; read with the lock or inside a read that Unchanged
  // confirms.
  uint32_t ClearCount() const;
  void CountClear(const Change&);

  // `event` is a handle of this process that stays open until Unsubscribe.
  void Subscribe(const Lock&, HANDLE event);
  void Unsubscribe(const Lock&, HANDLE event);
  // After the change is closed, so that a subscriber that asks for the record count at once
  // sees it.
  void SignalSubscribers(const Lock&);

 private:
  struct Table;
  Table& table() const;

  UniqueHandle mutex_;
  UniqueHandle section_;
  TUniqueView view_;
};

// The path that names a log file for locking: full, long form, upper case.
std::wstring CanonicalPath(const std::wstring& path);

}  // namespace corvane::evtsvc
