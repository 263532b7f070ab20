// The reference count of a COM object as its own AddRef and Release report it: tests compare it
// before and after handing the object around.
#pragma once

#include <windows.h>

#include <unknwn.h>

namespace corvane {

inline ULONG RefCount(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

}  // namespace corvane
