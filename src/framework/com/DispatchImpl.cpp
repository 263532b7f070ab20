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
  return DispInvoke(object, info, member, flags, params, result, exception, argumentError);
}

}  // namespace corvane::dispatch
