#include "framework/com/ModuleLock.h"

#include <atomic>

namespace corvane {
namespace {

// COM calls in on any thread (DllCanUnloadNow, factories of other apartments).
std::atomic<long> objects{0};
std::atomic<long> locks{0};

}  // namespace

void ModuleLock::AddObject() noexcept { ++objects; }
void ModuleLock::RemoveObject() noexcept { --objects; }
void ModuleLock::Lock() noexcept { ++locks; }
// An unmatched LockServer(FALSE) must not drive the count below zero, or the module could never
// unload again.
void ModuleLock::Unlock() noexcept {
  long current = locks.load();
  while (current > 0 && !locks.compare_exchange_weak(current, current - 1)) {
  }
}
long ModuleLock::Objects() noexcept { return objects.load(); }
long ModuleLock::Locks() noexcept { return locks.load(); }

}  // namespace corvane
