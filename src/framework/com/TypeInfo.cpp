#include "framework/com/TypeInfo.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "framework/OleSysError.h"
#include "framework/com/DispatchTable.h"

namespace corvane {

void RaiseTypeInfoFailure(const char* what, HRESULT hr) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
  throw EOleSysError(std::string(what) + " (" + code + ")", static_cast<int32_t>(hr));
}

namespace {

struct GuidPairLess {
  bool operator()(const std::pair<GUID, GUID>& a, const std::pair<GUID, GUID>& b) const noexcept {
    return std::memcmp(&a, &b, sizeof a) < 0;
  }
};

using Cache = std::map<std::pair<GUID, GUID>, ComPtr<ITypeInfo>, GuidPairLess>;

// Objects of several apartments may ask at once.
std::mutex cacheMutex;
Cache& TheCache() {
  static Cache* cache = new Cache;
  return *cache;
}

}  // namespace

ComPtr<ITypeInfo> InterfaceSide(ComPtr<ITypeInfo> info) {
  TYPEATTR* attr = nullptr;
  HRESULT hr = info->GetTypeAttr(&attr);
  if (FAILED(hr)) RaiseTypeInfoFailure("Cannot read type information", hr);
  const bool dualDispatch = attr->typekind == TKIND_DISPATCH && (attr->wTypeFlags & TYPEFLAG_FDUAL) != 0;
  info->ReleaseTypeAttr(attr);
  if (!dualDispatch) return info;
  HREFTYPE ref = 0;
  ComPtr<ITypeInfo> side;
  hr = info->GetRefTypeOfImplType(-1, &ref);
  if (SUCCEEDED(hr)) hr = info->GetRefTypeInfo(ref, side.put());
  if (FAILED(hr)) RaiseTypeInfoFailure("Cannot read type information", hr);
  return side;
}

ComPtr<ITypeInfo> TypeInfoOf(ITypeLib& library, const IID& iid) {
  ComPtr<ITypeInfo> info;
  const HRESULT hr = library.GetTypeInfoOfGuid(iid, info.put());
  if (FAILED(hr)) RaiseTypeInfoFailure("Interface not found in the type library", hr);
  return InterfaceSide(std::move(info));
}

ComPtr<ITypeInfo> RegisteredTypeInfo(const GUID& libid, const IID& iid, LCID locale) {
  const std::lock_guard lock(cacheMutex);
  ComPtr<ITypeInfo>& slot = TheCache()[{libid, iid}];
  if (!slot) {
    ComPtr<ITypeLib> library;
    const HRESULT hr = LoadRegTypeLib(libid, 1, 0, locale, library.put());
    if (FAILED(hr)) RaiseTypeInfoFailure("Cannot load the registered type library", hr);
    slot = TypeInfoOf(*library.get(), iid);
  }
  return ComPtr<ITypeInfo>::Copy(slot.get());
}

void ReleaseCachedTypeInfos() noexcept {
  ReleaseDispatchTables();
  const std::lock_guard lock(cacheMutex);
  TheCache().clear();
}

}  // namespace corvane
