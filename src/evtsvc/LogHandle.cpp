#include "LogHandle.h"

#include <map>

#include "Win32Error.h"

namespace corvane::evtsvc {
namespace {

struct Table {
  std::mutex mutex;
  // Values are never reused, so a stale handle can never reach a newer log.
  uintptr_t next = 0x4E760000;
  std::map<uintptr_t, std::shared_ptr<TLogHandle>> handles;
};

// Never destroyed: nothing may run against the logs while the process exits.
Table& Handles() {
  static auto* table = new Table;
  return *table;
}

}  // namespace

TLogHandle::TLogHandle(std::shared_ptr<const TMachine> machine, std::shared_ptr<TSharedLog> log,
                     std::wstring logName, std::wstring sourceName, bool backup)
    : machine(std::move(machine)),
      log(std::move(log)),
      logName(std::move(logName)),
      sourceName(std::move(sourceName)),
      backup(backup) {}

TLogHandle::~TLogHandle() {
  if (!notification) return;
  try {
    log->Use([&](TSharedLog::Access access) {
      access.shared.Unsubscribe(access.lock, notification.get());
    });
  } catch (...) {
    // The entry stays behind; it names a handle this process no longer has open, so the
    // duplicate is kept open (leaked) rather than let the value be reused for another object.
    notification.release();
  }
}

HANDLE THandleTable::Add(std::shared_ptr<TLogHandle> handle) {
  Table& table = Handles();
  std::lock_guard guard(table.mutex);
  table.next += 4;
  table.handles.emplace(table.next, std::move(handle));
  return reinterpret_cast<HANDLE>(table.next);
}

std::shared_ptr<TLogHandle> THandleTable::Find(HANDLE value) {
  Table& table = Handles();
  std::lock_guard guard(table.mutex);
  const auto found = table.handles.find(reinterpret_cast<uintptr_t>(value));
  if (found == table.handles.end()) ThrowWin32(ERROR_INVALID_HANDLE);
  return found->second;
}

std::shared_ptr<TLogHandle> THandleTable::Remove(HANDLE value) {
  Table& table = Handles();
  std::lock_guard guard(table.mutex);
  const auto found = table.handles.find(reinterpret_cast<uintptr_t>(value));
  if (found == table.handles.end()) ThrowWin32(ERROR_INVALID_HANDLE);
  std::shared_ptr<TLogHandle> handle = std::move(found->second);
  table.handles.erase(found);
  return handle;
}

}  // namespace corvane::evtsvc
