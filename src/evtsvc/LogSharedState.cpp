#include "LogSharedState.h"

#include <atomic>
#include <cwchar>
#include <vector>

#include "Win32Error.h"

namespace corvane::evtsvc {

// Lives in the named section; all of it but the generation is read and written only under the
// lock. The section starts zeroed, which is an empty table.
struct TLogSharedState::Table {
  static constexpr uint32_t kCapacity = 256;
  struct TSubscriber {
    uint32_t processId;
    uint32_t reserved;
    uint64_t processCreated;  // FILETIME of the process start
    uint64_t event;           // handle value in that process
  };
  // Written under the lock, read without it: accessed atomically only. 64 bits, so that it
  // cannot come round to a value a reader still holds.
  alignas(8) uint64_t generation;
  uint32_t clearCount;
  uint32_t subscriberCount;
  TSubscriber subscribers[kCapacity];
};

namespace {

uint64_t Fnv1a(const std::wstring& text) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (wchar_t c : text) {
    hash ^= static_cast<uint16_t>(c);
    hash *= 0x100000001b3ull;
  }
  return hash;
}

// Object names may not hold backslashes or exceed MAX_PATH, so the path is hashed.
std::wstring ObjectName(const std::wstring& canonicalPath, const wchar_t* kind) {
  wchar_t hash[17];
  swprintf(hash, 17, L"%016llx", static_cast<unsigned long long>(Fnv1a(canonicalPath)));
  return std::wstring(L"Local\\Corvane.EventLog.") + hash + L"." + kind;
}

uint64_t CreationTime(HANDLE process) {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return (static_cast<uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

uint64_t OwnCreationTime() {
  static const uint64_t created = CreationTime(GetCurrentProcess());
  return created;
}

uint64_t HandleValue(HANDLE handle) { return reinterpret_cast<uintptr_t>(handle); }
HANDLE ValueHandle(uint64_t value) { return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value)); }

static_assert(std::atomic_ref<uint64_t>::is_always_lock_free);

void Advance(uint64_t& generation) {
  std::atomic_ref<uint64_t>(generation).fetch_add(1, std::memory_order_release);
}

enum class TDelivery { Delivered, SubscriberGone };

TDelivery Signal(const TLogSharedState::Lock&, uint32_t processId, uint64_t processCreated,
                uint64_t event) {
  if (processId == GetCurrentProcessId() && processCreated == OwnCreationTime()) {
    SetEvent(ValueHandle(event));
    return TDelivery::Delivered;
  }
  UniqueHandle process(
      OpenProcess(PROCESS_DUP_HANDLE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) {
    // Any other failure (such as access denied) is not proof that the subscriber is gone.
    return GetLastError() == ERROR_INVALID_PARAMETER ? TDelivery::SubscriberGone : TDelivery::Delivered;
  }
  DWORD exitCode = 0;
  if (CreationTime(process.get()) != processCreated ||
      (GetExitCodeProcess(process.get(), &exitCode) && exitCode != STILL_ACTIVE)) {
    return TDelivery::SubscriberGone;
  }
  UniqueHandle local;
  if (DuplicateHandle(process.get(), ValueHandle(event), GetCurrentProcess(), local.put(),
                      EVENT_MODIFY_STATE, FALSE, 0)) {
    SetEvent(local.get());
  }
  return TDelivery::Delivered;
}

}  // namespace

TLogSharedState::Lock::Lock(HANDLE mutex, uint64_t& generation) : mutex_(mutex) {
  // An abandoned lock means a process died inside an operation; the file format keeps the log
  // readable at every step. The change is counted, since the dead process could not, so that
  // every process refreshes its view and picks up whatever state it left.
  const DWORD result = WaitForSingleObject(mutex_, INFINITE);
  if (result != WAIT_OBJECT_0 && result != WAIT_ABANDONED) ThrowLastError();
  if (result == WAIT_ABANDONED) Advance(generation);
}

TLogSharedState::Lock::~Lock() { ReleaseMutex(mutex_); }

TLogSharedState::TLogSharedState(const std::wstring& canonicalPath) {
  mutex_.reset(CreateMutexW(nullptr, FALSE, ObjectName(canonicalPath, L"Lock").c_str()));
  if (!mutex_) ThrowLastError();
  section_.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Table),
                                    ObjectName(canonicalPath, L"State").c_str()));
  if (!section_) ThrowLastError();
  view_.reset(MapViewOfFile(section_.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(Table)));
  if (!view_) ThrowLastError();
}

TLogSharedState::Lock TLogSharedState::Acquire() const {
  return Lock(mutex_.get(), table().generation);
}

uint64_t TLogSharedState::Generation() const {
  return std::atomic_ref<uint64_t>(table().generation).load(std::memory_order_acquire);
}

void TLogSharedState::CountChange(const Lock&) { Advance(table().generation); }

TLogSharedState::Table& TLogSharedState::table() const { return *static_cast<Table*>(view_.get()); }

uint32_t TLogSharedState::ClearCount(const Lock&) const { return table().clearCount; }

void TLogSharedState::CountClear(const Lock&) { ++table().clearCount; }

void TLogSharedState::Subscribe(const Lock& lock, HANDLE event) {
  Table& t = table();
  if (t.subscriberCount >= Table::kCapacity) {
    SignalSubscribers(lock);  // drops the entries of processes that are gone
    if (t.subscriberCount >= Table::kCapacity) ThrowWin32(ERROR_NO_SYSTEM_RESOURCES);
  }
  Table::TSubscriber& entry = t.subscribers[t.subscriberCount++];
  entry = {GetCurrentProcessId(), 0, OwnCreationTime(), HandleValue(event)};
}

void TLogSharedState::Unsubscribe(const Lock&, HANDLE event) {
  Table& t = table();
  for (uint32_t i = 0; i < t.subscriberCount; ++i) {
    const Table::TSubscriber& entry = t.subscribers[i];
    if (entry.processId == GetCurrentProcessId() && entry.processCreated == OwnCreationTime() &&
        entry.event == HandleValue(event)) {
      t.subscribers[i] = t.subscribers[--t.subscriberCount];
      return;
    }
  }
}

void TLogSharedState::SignalSubscribers(const Lock& lock) {
  // A subscriber woken here may ask for the record count at once, without the lock: the
  // generation must already show the change it is told about, or it would read the old count.
  CountChange(lock);
  Table& t = table();
  if (t.subscriberCount > Table::kCapacity) t.subscriberCount = Table::kCapacity;
  for (uint32_t i = t.subscriberCount; i-- > 0;) {
    const Table::TSubscriber entry = t.subscribers[i];
    if (Signal(lock, entry.processId, entry.processCreated, entry.event) == TDelivery::SubscriberGone) {
      t.subscribers[i] = t.subscribers[--t.subscriberCount];
    }
  }
}

std::wstring CanonicalPath(const std::wstring& path) {
  std::vector<wchar_t> full(MAX_PATH);
  for (;;) {
    const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) ThrowLastError();
    if (length < full.size()) {
      full.resize(length + 1);
      break;
    }
    full.resize(length + 1);
  }
  std::wstring result(full.data());
  std::vector<wchar_t> longForm(result.size() + MAX_PATH);
  const DWORD length = GetLongPathNameW(result.c_str(), longForm.data(), static_cast<DWORD>(longForm.size()));
  if (length > 0 && length < longForm.size()) result.assign(longForm.data(), length);
  CharUpperBuffW(result.data(), static_cast<DWORD>(result.size()));
  return result;
}

}  // namespace corvane::evtsvc
