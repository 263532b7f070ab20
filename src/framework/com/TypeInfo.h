// Type information of the dual interfaces that objects answer IDispatch from. A dual's type
// information is always kept from its interface side: calls through the dispatch side would come
// back into IDispatch::Invoke.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "framework/com/ComPtr.h"

namespace corvane {

// The interface `iid` of the library registered under `libid`, version 1.0. Loaded once per
// (library, interface) for the process; a failed lookup raises EOleSysError with its HRESULT.
// `locale` is the library's own: the lookup falls back from a locale to the neutral one, never
// the other way, so a library built for 0x409 is not found when asked for with 0.
ComPtr<ITypeInfo> RegisteredTypeInfo(const GUID& libid, const IID& iid, LCID locale = 0);
// The interface `iid` of an already loaded library (an embedded one, or a test's).
ComPtr<ITypeInfo> TypeInfoOf(ITypeLib& library, const IID& iid);
// The interface side of `info` when it is the dispatch side of a dual, else `info` itself.
ComPtr<ITypeInfo> InterfaceSide(ComPtr<ITypeInfo> info);

// Raises EOleSysError for a failed read of type information: `what`, then the HRESULT in hex.
[[noreturn]] void RaiseTypeInfoFailure(const char* what, HRESULT hr);

// Drops the cached type information, the dispatch tables' included, for the module's unloading
// (the cache is never destroyed at process exit, when the automation library may already be gone).
void ReleaseCachedTypeInfos() noexcept;

}  // namespace corvane
