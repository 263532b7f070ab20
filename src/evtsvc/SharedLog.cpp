#include "SharedLog.h"

#include <map>
#include <mutex>

#include "Win32Error.h"

namespace corvane::evtsvc {
namespace {

// Live logs of this process by canonical path. Never destroyed: handles may still be closed
// while the process exits.
struct LiveLogs {
  std::mutex mutex;
  std::map<std::wstring, std::weak_ptr<SharedLog>> logs;
};

LiveLogs& Live() {
  static auto* logs = new LiveLogs;
  return *logs;
}

}  // namespace

SharedLog::SharedLog(std::unique_ptr<Win32Storage> storage, const std::wstring& canonicalPath,
                     bool readOnly)
    : storage_(std::move(storage)), shared_(canonicalPath), readOnly_(readOnly) {}

std::shared_ptr<SharedLog> SharedLog::OpenLive(const LogConfig& config) {
  // The file is opened (and created empty) first, so that every process derives the lock's
  // name from the same existing file.
  CreateParentFolders(config.filePath);
  auto storage = std::make_unique<Win32Storage>(config.filePath, Win32Storage::Mode::OpenOrCreate);
  const std::wstring canonical = CanonicalPath(config.filePath);

  LiveLogs& live = Live();
  std::lock_guard guard(live.mutex);
  if (auto existing = live.logs[canonical].lock()) return existing;

  std::shared_ptr<SharedLog> log(new SharedLog(std::move(storage), canonical, false));
  {
    const LogSharedState::Lock lock = log->shared_.Acquire();
    bool changed = false;
    if (log->storage_->Size() == 0) {
      evt::LogFile::Create(*log->storage_, config.maxSize, config.retention);
      changed = true;
    }
    log->file_ = evt::LogFile::Open(*log->storage_, false);
    const evt::Header& header = log->file_->header();
    if (header.maxSize != config.maxSize || header.retention != config.retention) {
      log->file_->SetLimits(config.maxSize, config.retention);
      changed = true;
    }
    if (changed) {
      log->Changed(lock, true);
    } else {
      log->Viewed(lock);
    }
  }
  live.logs[canonical] = log;
  return log;
}

std::shared_ptr<SharedLog> SharedLog::OpenBackup(const std::wstring& path) {
  auto storage = std::make_unique<Win32Storage>(path, Win32Storage::Mode::ReadOnly);
  std::shared_ptr<SharedLog> log(new SharedLog(std::move(storage), CanonicalPath(path), true));
  const LogSharedState::Lock lock = log->shared_.Acquire();
  log->file_ = evt::LogFile::Open(*log->storage_, true);
  log->Viewed(lock);
  return log;
}

void SharedLog::CatchUp(const LogSharedState::Lock& lock) {
  if (viewKnown_ && viewGeneration_ == shared_.Generation()) return;
  file_->Refresh();
  Viewed(lock);
}

void SharedLog::Viewed(const LogSharedState::Lock&) {
  viewGeneration_ = shared_.Generation();
  viewKnown_ = true;
  std::lock_guard guard(countsMutex_);
  counts_ = {file_->Count(), file_->OldestRecordNumber()};
  countsGeneration_ = viewGeneration_;
  countsKnown_ = true;
}

void SharedLog::Changed(const LogSharedState::Lock& lock, bool viewCurrent) {
  shared_.CountChange(lock);
  if (viewCurrent) {
    Viewed(lock);
  } else {
    viewKnown_ = false;
  }
}

SharedLog::Counts SharedLog::CurrentCounts() {
  {
    // Counts remembered at the generation the section still shows describe the file as it is:
    // every change moves the generation on before the lock is released.
    const uint64_t now = shared_.Generation();
    std::lock_guard guard(countsMutex_);
    if (countsKnown_ && countsGeneration_ == now) return counts_;
  }
  return Use([](Access access) { return Counts{access.file.Count(), access.file.OldestRecordNumber()}; });
}

}  // namespace corvane::evtsvc
