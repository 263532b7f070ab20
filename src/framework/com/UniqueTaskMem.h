// Owner of one block from the COM task allocator (CoTaskMemAlloc), as the system hands out in
// out-parameters (CALPOLESTR strings, CAUUID arrays, string forms of GUIDs) and expects back.
// release() hands the block to the caller (an out-parameter), who frees it.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <cstdint>
#include <new>

#include "framework/UniqueResource.h"

namespace corvane {

template <typename T>
class UniqueTaskMem : public TUniqueResource<T*, TNullTraits<T*, &CoTaskMemFree>> {
 public:
  using TUniqueResource<T*, TNullTraits<T*, &CoTaskMemFree>>::TUniqueResource;

  // `count` elements of T, uninitialised; raises std::bad_alloc when the allocator refuses.
  static UniqueTaskMem Allocate(size_t count) {
    if (count > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
    void* block = CoTaskMemAlloc(count * sizeof(T));
    if (block == nullptr && count != 0) throw std::bad_alloc();
    return UniqueTaskMem(static_cast<T*>(block));
  }
};

}  // namespace corvane
