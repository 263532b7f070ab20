// Owner of one BSTR. A null BSTR is a valid empty string to COM, so "empty owner" and "empty
// string" are the same thing here; Length() reads the stored length, never a terminator.
// release() hands the string to the caller (an out-parameter), who frees it.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include "framework/UniqueResource.h"

namespace corvane {

class UniqueBstr : public TUniqueResource<BSTR, TNullTraits<BSTR, &SysFreeString>> {
 public:
  using TUniqueResource::TUniqueResource;

  UINT Length() const noexcept { return SysStringLen(get()); }
};

}  // namespace corvane
