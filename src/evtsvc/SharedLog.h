// One log file open in this process: its storage, the format module's view of it, and what it
// shares with the other processes that have it open. A live log is opened once per process and
// shared by every handle on it; a backup file gets an object per handle.
//
// Every access goes through Use(): it takes the cross-process lock, lets the format module pick
// up what other processes wrote, and only then runs the caller's work. The named mutex belongs
// to a thread, so it also serialises the threads of this process.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "EvtFile.h"
#include "LogRegistry.h"
#include "LogSharedState.h"
#include "Win32Storage.h"

namespace corvane::evtsvc {

class SharedLog {
 public:
  // What a caller of Use() works with while it holds the lock.
  struct Access {
    evt::LogFile& file;
    LogSharedState& shared;
    const LogSharedState::Lock& lock;
  };

  // The live log of `config`, creating its file (and missing folders) when it does not exist.
  // The registry's size and retention are applied to the file.
  static std::shared_ptr<SharedLog> OpenLive(const LogConfig& config);
  // Any log file, read-only.
  static std::shared_ptr<SharedLog> OpenBackup(const std::wstring& path);

  SharedLog(const SharedLog&) = delete;
  SharedLog& operator=(const SharedLog&) = delete;

  bool readOnly() const { return readOnly_; }

  template <typename Work>
  decltype(auto) Use(Work&& work) {
    const LogSharedState::Lock lock = shared_.Acquire();
    file_->Refresh();
    return std::forward<Work>(work)(Access{*file_, shared_, lock});
  }

 private:
  SharedLog(std::unique_ptr<Win32Storage> storage, const std::wstring& canonicalPath, bool readOnly);

  std::unique_ptr<Win32Storage> storage_;
  LogSharedState shared_;
  std::unique_ptr<evt::LogFile> file_;
  bool readOnly_;
};

}  // namespace corvane::evtsvc
