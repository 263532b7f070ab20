#include "LogSharedState.h"

#include <atomic>
#include <cstddef>
#include <cwchar>
#include <type_traits>
#include <vector>

#include "SystemFolders.h"
#include "Win32Error.h"

namespace corvane::evtsvc {

// Lives in the named section, which starts zeroed: an empty table, sequence 0. The sequence is
// written under the lock and read without it, so it is accessed atomically only; 64 bits, so
// that it cannot come round to a value a reader still holds. The clear count is written inside
// a change and read by readers that the sequence then confirms. The rest is used under the lock.
struct TLogSharedState::Table {
  static constexpr uint32_t kCapacity = 256;
  struct TSubscriber {
    uint32_t processId;
    uint32_t reserved;
    uint64_t processCreated;  // FILETIME of the process start
    uint64_t event;           // handle value in that process
  };
  alignas(8) uint64_t sequence;
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

std::atomic_ref<uint64_t> Shared(uint64_t& value) { return std::atomic_ref<uint64_t>(value); }

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

TLogSharedState::Lock::Lock(HANDLE mutex, uint64_t& sequence) : mutex_(mutex) {
  // An abandoned lock means a process died inside an operation; the file format keeps the log
  // readable at every step. A change it left open is closed, and the sequence moves on in any
  // case, since the dead process may have written without counting it: every process then
  // rebuilds its view and picks up whatever state it left.
  const DWORD result = WaitForSingleObject(mutex_, INFINITE);
  if (result != WAIT_OBJECT_0 && result != WAIT_ABANDONED) ThrowLastError();
  if (result == WAIT_ABANDONED) {
    const uint64_t value = Shared(sequence).load(std::memory_order_relaxed);
    Shared(sequence).store(value + ((value & 1) ? 1 : 2), std::memory_order_seq_cst);
  }
}

TLogSharedState::Lock::~Lock() { ReleaseMutex(mutex_); }

TLogSharedState::TLogSharedState(const std::wstring& canonicalPath) {
  // One layout for 32-bit and 64-bit processes, and a sequence that both update without a lock
  // of their own (a library's lock would be private to each process).
  static_assert(sizeof(Table) == 16 + Table::kCapacity * 24, "the shared table's layout is fixed");
  static_assert(std::atomic_ref<uint64_t>::is_always_lock_free, "the sequence must be lock-free");
  mutex_.reset(CreateMutexW(nullptr, FALSE, ObjectName(canonicalPath, L"Lock").c_str()));
  if (!mutex_) ThrowLastError();
  section_.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Table),
                                    ObjectName(canonicalPath, L"State").c_str()));
  if (!section_) ThrowLastError();
  view_.reset(MapViewOfFile(section_.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(Table)));
  if (!view_) ThrowLastError();
}

TLogSharedState::Lock TLogSharedState::Acquire() const {
  return Lock(mutex_.get(), table().sequence);
}

// The odd value must be seen before any byte of the change, and the last byte before the even
// value: the writes to the file are system calls, and the sequentially consistent increments
// order them on both sides.
TLogSharedState::Change::Change(TLogSharedState& state, const Lock&) : state_(state) {
  Shared(state_.table().sequence).fetch_add(1, std::memory_order_seq_cst);
}

TLogSharedState::Change::~Change() {
  Shared(state_.table().sequence).fetch_add(1, std::memory_order_seq_cst);
}

uint64_t TLogSharedState::Sequence() const {
  return Shared(table().sequence).load(std::memory_order_acquire);
}

bool TLogSharedState::Unchanged(uint64_t before) const {
  std::atomic_thread_fence(std::memory_order_seq_cst);
  return Shared(table().sequence).load(std::memory_order_seq_cst) == before;
}

TLogSharedState::Table& TLogSharedState::table() const {
  // The same layout for processes of either width.
  static_assert(std::is_standard_layout_v<Table>);
  static_assert(offsetof(Table::TSubscriber, processId) == 0);
  static_assert(offsetof(Table::TSubscriber, processCreated) == 8);
  static_assert(offsetof(Table::TSubscriber, event) == 16);
  static_assert(sizeof(Table::TSubscriber) == 24);
  static_assert(offsetof(Table, sequence) == 0);
  static_assert(offsetof(Table, clearCount) == 8);
  static_assert(offsetof(Table, subscriberCount) == 12);
  static_assert(offsetof(Table, subscribers) == 16);
  static_assert(sizeof(Table) == 16 + 24 * Table::kCapacity);
  static_assert(std::atomic_ref<uint64_t>::is_always_lock_free);
  static_assert(std::atomic_ref<uint32_t>::is_always_lock_free);
  static_assert(alignof(Table) >= std::atomic_ref<uint64_t>::required_alignment);
  return *static_cast<Table*>(view_.get());
}

uint32_t TLogSharedState::ClearCount() const {
  return std::atomic_ref<uint32_t>(table().clearCount).load(std::memory_order_relaxed);
}

void TLogSharedState::CountClear(const Change&) {
  std::atomic_ref<uint32_t>(table().clearCount).fetch_add(1, std::memory_order_relaxed);
}

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
  return UnredirectedName(result);
}

}  // namespace corvane::evtsvc
