// One log file open in this process: its storage, the format module's view of it, and what it
// shares with the other processes that have it open. A live log is opened once per process and
// shared by every handle on it; a backup file gets an object per handle.
//
// Every access goes through Use() (or Change(), for work that writes the file): it takes the
// cross-process lock, lets the format module pick up what other processes wrote, and only then
// runs the caller's work. The named mutex belongs to a thread, so it also serialises the threads
// of this process. The shared change generation spares the refresh when no process wrote since
// the last one, and spares even the lock when all a caller wants is the record count.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "EvtFile.h"
#include "LogRegistry.h"
#include "LogSharedState.h"
#include "Win32Storage.h"

namespace corvane::evtsvc {

class TSharedLog {
 public:
  // What a caller of Use() works with while it holds the lock.
  struct Access {
    evt::TLogFile& file;
    TLogSharedState& shared;
    const TLogSharedState::Lock& lock;
  };

  // The live log of `config`, creating its file (and missing folders) when it does not exist.
  // The registry's size and retention are applied to the file.
  static std::shared_ptr<TSharedLog> OpenLive(const LogConfig& config);
  // Any log file, read-only.
  static std::shared_ptr<TSharedLog> OpenBackup(const std::wstring& path);

  TSharedLog(const TSharedLog&) = delete;
  TSharedLog& operator=(const TSharedLog&) = delete;

  bool readOnly() const { return readOnly_; }

  // For work that only reads the file.
  template <typename Work>
  decltype(auto) Use(Work&& work) {
    const TLogSharedState::Lock lock = shared_.Acquire();
    CatchUp(lock);
    return std::forward<Work>(work)(Access{*file_, shared_, lock});
  }

  // For work that may write the file. The change is counted even when the work fails part way;
  // this process's own view is then refreshed on its next use too.
  template <typename Work>
  void Change(Work&& work) {
    const TLogSharedState::Lock lock = shared_.Acquire();
    CatchUp(lock);
    try {
      std::forward<Work>(work)(Access{*file_, shared_, lock});
    } catch (...) {
      Changed(lock, false);
      throw;
    }
    Changed(lock, true);
  }

  struct Counts {
    uint32_t count;
    uint32_t oldest;  // 0 when empty
  };
  // The record count and oldest record number; without the lock when no process changed the
  // file since this process last looked.
  Counts CurrentCounts();

 private:
  TSharedLog(std::unique_ptr<TWin32Storage> storage, const std::wstring& canonicalPath, bool readOnly);

  // Refreshes the file's view when another process changed the file since the last refresh.
  void CatchUp(const TLogSharedState::Lock& lock);
  // Notes that the view of file_ is that of the current generation.
  void Viewed(const TLogSharedState::Lock& lock);
  // Counts a change made through this process; with `viewCurrent` the view already shows it.
  void Changed(const TLogSharedState::Lock& lock, bool viewCurrent);

  std::unique_ptr<TWin32Storage> storage_;
  TLogSharedState shared_;
  std::unique_ptr<evt::TLogFile> file_;
  bool readOnly_;
  // The generation the view of file_ reflects; written under the lock.
  uint64_t viewGeneration_ = 0;
  bool viewKnown_ = false;
  // The counts as of a generation, for CurrentCounts() without the lock.
  std::mutex countsMutex_;
  uint64_t countsGeneration_ = 0;
  bool countsKnown_ = false;
  Counts counts_{};
};

}  // namespace corvane::evtsvc
