#include "framework/com/DispatchImpl.h"

namespace corvane::dispatch {

HRESULT GetTypeInfo(ITypeInfo* info, UINT index, ITypeInfo** out) noexcept {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  if (info == nullptr) return E_UNEXPECTED;
  info->AddRef();
  *out = info;
  return S_OK;
}

HRESULT GetIDsOfNames(ITypeInfo* info, REFIID iid, LPOLESTR* names, UINT count, DISPID* ids) noexcept {
  if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (info == nullptr) return E_UNEXPECTED;
  return DispGetIDsOfNames(info, names, count, ids);
}

HRESULT Invoke(ITypeInfo* info, void* object, DISPID member, REFIID iid, WORD flags, DISPPARAMS* params,
               VARIANT* result, EXCEPINFO* exception, UINT* argumentError) noexcept {
  if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (info == nullptr) return E_UNEXPECTED;
  HRESULT invoked = DispInvoke(object, info, member, flags, params, result, exception, argumentError);
  // The type information's Invoke matches the call's kind exactly, but scripts call a property
  // read with arguments as a method (and the other way round): a failure of the member would
  // otherwise reach them as "member not found", without its error record.
  if (invoked == DISP_E_MEMBERNOTFOUND && (flags == DISPATCH_METHOD || flags == DISPATCH_PROPERTYGET)) {
    invoked = DispInvoke(object, info, member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, params, result,
                         exception, argumentError);
  }
  return invoked;
}

}  // namespace corvane::dispatch
