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
    if (log->storage_->Size() == 0) {
      const TLogSharedState::Change change(log->shared_, lock);
      evt::TLogFile::Create(*log->storage_, config.maxSize, config.retention);
    }
    log->file_ = evt::TLogFile::Open(*log->storage_, false);
    const evt::Header& header = log->file_->header();
    if (header.maxSize != config.maxSize || header.retention != config.retention) {
      const TLogSharedState::Change change(log->shared_, lock);
      log->file_->SetLimits(config.maxSize, config.retention);
    }
    log->Viewed(lock);
  }
  live.logs[canonical] = log;
  return log;
}

std::shared_ptr<TSharedLog> TSharedLog::OpenBackup(const std::wstring& path) {
  auto storage = std::make_unique<TWin32Storage>(path, TWin32Storage::TMode::ReadOnly);
  std::shared_ptr<TSharedLog> log(new TSharedLog(std::move(storage), CanonicalPath(path), true));
  // Another process may have the same file open as a live log; its lock covers the first view.
  const TLogSharedState::Lock lock = log->shared_.Acquire();
  log->file_ = evt::TLogFile::Open(*log->storage_, true);
  log->Viewed(lock);
  return log;
}

void TSharedLog::CatchUp(const TLogSharedState::Lock&) { Refresh(shared_.Sequence()); }

void TSharedLog::Refresh(uint64_t now) {
  if (torn_) {
    file_ = evt::TLogFile::Open(*storage_, readOnly_);
    torn_ = false;
  } else if (!viewKnown_ || viewSequence_ != now) {
    file_->Refresh();
  } else {
    return;
  }
  viewSequence_ = now;
  viewKnown_ = true;
}

void TSharedLog::Viewed(const TLogSharedState::Lock&) {
  viewSequence_ = shared_.Sequence();
  viewKnown_ = true;
}

void TSharedLog::PauseBeforeRetry(int attempt) {
  // A change is short: spin a little, then give the writer the processor.
  if (attempt < 4) {
    YieldProcessor();
  } else {
    SwitchToThread();
  }
}

TSharedLog::Counts TSharedLog::CurrentCounts() {
  return Read([](const Snapshot& snapshot) {
    return Counts{snapshot.file.Count(), snapshot.file.OldestRecordNumber()};
  });
}

}  // namespace corvane::evtsvc
