// One log file open in this process: its storage, the format module's view of it, and what it
// shares with the other processes that have it open. A live log is opened once per process and
// shared by every handle on it; a backup file gets an object per handle.
//
// Work that changes the file goes through Change(): it takes the cross-process lock, lets the
// format module pick up what other processes wrote, and runs inside a change of the shared
// sequence. Work that only reads goes through Read(), which takes no cross-process lock: it runs
// on this process's view of the file and is kept only when no change overlapped it; otherwise it
// runs again, and after a few tries under the lock (Use()). A process-local mutex guards the
// view, which the threads of this process share.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

#include "EvtFile.h"
#include "LogRegistry.h"
#include "LogSharedState.h"
#include "Win32Storage.h"

namespace corvane::evtsvc {

class TSharedLog {
 public:
  // What a caller of Use() or Change() works with while it holds the lock.
  struct Access {
    evt::TLogFile& file;
    TLogSharedState& shared;
    const TLogSharedState::Lock& lock;
  };
  // What a caller of Change() works with: the change it makes, too.
  struct ChangeAccess : Access {
    const TLogSharedState::Change& change;
  };
  // What a reader works with: the file as this process sees it, and the clear count.
  struct Snapshot {
    const evt::TLogFile& file;
    uint32_t clearCount;
  };
  enum class TNotify { Nobody, Subscribers };

  // The live log of `config`, creating its file (and missing folders) when it does not exist.
  // The registry's size and retention are applied to the file.
  static std::shared_ptr<TSharedLog> OpenLive(const LogConfig& config);
  // Any log file, read-only.
  static std::shared_ptr<TSharedLog> OpenBackup(const std::wstring& path);

  TSharedLog(const TSharedLog&) = delete;
  TSharedLog& operator=(const TSharedLog&) = delete;

  bool readOnly() const { return readOnly_; }

  // For work that needs the file to hold still for its whole length, or that changes the shared
  // table but not the file.
  template <typename Work>
  decltype(auto) Use(Work&& work) {
    const TLogSharedState::Lock lock = shared_.Acquire();
    std::lock_guard view(viewMutex_);
    CatchUp(lock);
    return std::forward<Work>(work)(Access{*file_, shared_, lock});
  }

  // For work that may write the file. A change that fails part way leaves this process's view
  // to be refreshed on its next use. Subscribers are signalled after a change that succeeded.
  template <typename Work>
  void Change(Work&& work, TNotify notify = TNotify::Nobody) {
    const TLogSharedState::Lock lock = shared_.Acquire();
    std::lock_guard view(viewMutex_);
    CatchUp(lock);
    {
      const TLogSharedState::Change change(shared_, lock);
      try {
        std::forward<Work>(work)(ChangeAccess{{*file_, shared_, lock}, change});
      } catch (...) {
        viewKnown_ = false;
        throw;
      }
    }
    Viewed(lock);
    if (notify == TNotify::Subscribers) shared_.SignalSubscribers(lock);
  }

  // For work that only reads. `work` may run more than once: everything it does must go into
  // its result (or into output it overwrites each time); a result or exception is passed on
  // only from a run that no change overlapped. A run that a change did overlap may have left
  // the view built from a mix of two states of the file, which the next run builds anew from
  // the whole file: after kTornReads such runs the work runs under the lock, rather than the
  // whole file being walked again and again while writers go on.
  template <typename Work>
  auto Read(Work&& work) {
    using Result = std::invoke_result_t<Work&, const Snapshot&>;
    int torn = 0;
    for (int attempt = 0; attempt < kOptimisticReads && torn < kTornReads; ++attempt) {
      const uint64_t before = shared_.Sequence();
      if (before & 1) {
        PauseBeforeRetry(attempt);
        continue;
      }
      std::lock_guard view(viewMutex_);
      std::optional<Result> result;
      std::exception_ptr failure;
      try {
        Refresh(before);
        result.emplace(work(Snapshot{*file_, shared_.ClearCount()}));
      } catch (...) {
        failure = std::current_exception();
      }
      if (shared_.Unchanged(before)) {
        if (failure) std::rethrow_exception(failure);
        return std::move(*result);
      }
      torn_ = true;
      ++torn;
    }
    return Use([&](Access access) -> Result {
      return work(Snapshot{access.file, access.shared.ClearCount()});
    });
  }

  struct Counts {
    uint32_t count;
    uint32_t oldest;  // 0 when empty
  };
  // The record count and oldest record number.
  Counts CurrentCounts();

 private:
  // Looks at the sequence before a read takes the lock. A writer holds the sequence odd for the
  // length of one change; one that died there holds it odd until the next process takes the lock.
  static constexpr int kOptimisticReads = 16;
  static constexpr int kTornReads = 2;

  TSharedLog(std::unique_ptr<TWin32Storage> storage, const std::wstring& canonicalPath, bool readOnly);

  // Under the lock: refreshes the view when another process changed the file since it was built.
  void CatchUp(const TLogSharedState::Lock& lock);
  // The view as of sequence `now`: built anew when a read saw it torn, else refreshed when the
  // file changed since.
  void Refresh(uint64_t now);
  // Notes that the view of file_ is that of the current sequence.
  void Viewed(const TLogSharedState::Lock& lock);
  static void PauseBeforeRetry(int attempt);

  std::unique_ptr<TWin32Storage> storage_;
  TLogSharedState shared_;
  bool readOnly_;
  // Guards the view below, used by every thread of this process.
  std::mutex viewMutex_;
  std::unique_ptr<evt::TLogFile> file_;
  // The sequence the view of file_ reflects.
  uint64_t viewSequence_ = 0;
  bool viewKnown_ = false;
  // A read overlapped a change: the view may hold torn bytes and is rebuilt from the file.
  bool torn_ = false;
};

}  // namespace corvane::evtsvc
