#include "SharedLog.h"

#include <map>
#include <mutex>

#include "Win32Error.h"

namespace corvane::evtsvc {
namespace {

// Live logs of this process by canonical path. Never destroyed: handles may still be closed
// while the process exits.
struct TLiveLogs {
  std::mutex mutex;
  std::map<std::wstring, std::weak_ptr<TSharedLog>> logs;
};

TLiveLogs& Live() {
  static auto* logs = new TLiveLogs;
  return *logs;
}

}  // namespace

TSharedLog::TSharedLog(std::unique_ptr<TWin32Storage> storage, const std::wstring& canonicalPath,
                     bool readOnly)
    : storage_(std::move(storage)), shared_(canonicalPath), readOnly_(readOnly) {}

std::shared_ptr<TSharedLog> TSharedLog::OpenLive(const LogConfig& config) {
  // The file is opened (and created empty) first, so that every process derives the lock's
  // name from the same existing file.
  CreateParentFolders(config.filePath);
  auto storage = std::make_unique<TWin32Storage>(config.filePath, TWin32Storage::TMode::OpenOrCreate);
  const std::wstring canonical = CanonicalPath(config.filePath);

  TLiveLogs& live = Live();
  std::lock_guard guard(live.mutex);
  if (auto existing = live.logs[canonical].lock()) return existing;

  std::shared_ptr<TSharedLog> log(new TSharedLog(std::move(storage), canonical, false));
  {
    const TLogSharedState::Lock lock = log->shared_.Acquire();
    bool changed = false;
    if (log->storage_->Size() == 0) {
      evt::TLogFile::Create(*log->storage_, config.maxSize, config.retention);
      changed = true;
    }
    log->file_ = evt::TLogFile::Open(*log->storage_, false);
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

std::shared_ptr<TSharedLog> TSharedLog::OpenBackup(const std::wstring& path) {
  auto storage = std::make_unique<TWin32Storage>(path, TWin32Storage::TMode::ReadOnly);
  std::shared_ptr<TSharedLog> log(new TSharedLog(std::move(storage), CanonicalPath(path), true));
  const TLogSharedState::Lock lock = log->shared_.Acquire();
  log->file_ = evt::TLogFile::Open(*log->storage_, true);
  log->Viewed(lock);
  return log;
}

void TSharedLog::CatchUp(const TLogSharedState::Lock& lock) {
  if (viewKnown_ && viewGeneration_ == shared_.Generation()) return;
  file_->Refresh();
  Viewed(lock);
}

void TSharedLog::Viewed(const TLogSharedState::Lock&) {
  viewGeneration_ = shared_.Generation();
  viewKnown_ = true;
  std::lock_guard guard(countsMutex_);
  counts_ = {file_->Count(), file_->OldestRecordNumber()};
  countsGeneration_ = viewGeneration_;
  countsKnown_ = true;
}

void TSharedLog::Changed(const TLogSharedState::Lock& lock, bool viewCurrent) {
  shared_.CountChange(lock);
  if (viewCurrent) {
    Viewed(lock);
  } else {
    viewKnown_ = false;
  }
}

TSharedLog::Counts TSharedLog::CurrentCounts() {
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
