// What every process that has one log file open shares with the others: the lock that
// serialises access to the file, a count of the clears (so that a reader notices that the log
// it was walking through is gone), a change generation (so that a process need not re-read the
// file, nor even take the lock, to learn that nothing changed), and the table of processes to
// notify when the log changes.
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
    // `generation` is counted on when the previous owner died holding the lock.
    Lock(HANDLE mutex, uint64_t& generation);
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    ~Lock();

   private:
    HANDLE mutex_;
  };

  explicit TLogSharedState(const std::wstring& canonicalPath);

  // Counts a change of the file when the previous owner died holding the lock, since it may
  // have changed the file without counting it.
  Lock Acquire() const;

  // Moves on with every change of the file made through any process (writers call
  // CountChange under the lock, after the change). Read without the lock: a value equal to one
  // read earlier under the lock means that the file is still as it was then.
  uint64_t Generation() const;
  void CountChange(const Lock&);

  uint32_t ClearCount(const Lock&) const;
  void CountClear(const Lock&);

  // `event` is a handle of this process that stays open until Unsubscribe.
  void Subscribe(const Lock&, HANDLE event);
  void Unsubscribe(const Lock&, HANDLE event);
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
