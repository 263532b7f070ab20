// Memory the simulated network and security functions hand to their callers. The freeing
// functions (NetApiBufferFree, LsaFreeMemory) are shared with the system's pass-through, so each
// block is remembered until it is freed: a block of ours is freed here, any other is the system's.
#pragma once

#include <cstddef>
#include <memory>

namespace corvane::network {

struct TAllocationFree {
  void operator()(void* block) const noexcept;
};
// A block being filled; released to the caller once it is complete.
using UniqueAllocation = std::unique_ptr<void, TAllocationFree>;

// Zero-filled; throws std::bad_alloc.
UniqueAllocation Allocate(size_t size);
// Frees `block` when it is one of ours and says whether it was.
bool FreeIfOurs(void* block) noexcept;

}  // namespace corvane::network
