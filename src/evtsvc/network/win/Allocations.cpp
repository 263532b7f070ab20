#include "Allocations.h"

#include <windows.h>

#include <mutex>
#include <new>
#include <set>

namespace corvane::network {
namespace {

std::mutex& Mutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}

// Never destroyed: callers may free blocks while the process exits.
std::set<void*>& Blocks() {
  static auto* blocks = new std::set<void*>;
  return *blocks;
}

}  // namespace

void TAllocationFree::operator()(void* block) const noexcept { FreeIfOurs(block); }

UniqueAllocation Allocate(size_t size) {
  void* block = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size ? size : 1);
  if (!block) throw std::bad_alloc();
  std::lock_guard lock(Mutex());
  try {
    Blocks().insert(block);
  } catch (...) {
    HeapFree(GetProcessHeap(), 0, block);
    throw;
  }
  return UniqueAllocation(block);
}

bool FreeIfOurs(void* block) noexcept {
  if (!block) return false;
  {
    std::lock_guard lock(Mutex());
    if (Blocks().erase(block) == 0) return false;
  }
  HeapFree(GetProcessHeap(), 0, block);
  return true;
}

}  // namespace corvane::network
