// IDispatch of a dual interface I, answered from I's type information: names are looked up
// without regard to case, and Invoke calls the object's own vtable members, so every call still
// runs through the member's ComBoundary. Put it in a ComObject's list in place of I:
//
//   class TThing final : public ComObject<TThing, DispatchImpl<IThing>, ISupportErrorInfo> {
//     TThing() { UseRegisteredTypeInfo(LIBID_Things); }
//
// Until one of the Use functions ran, every IDispatch member fails with E_UNEXPECTED.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <utility>

#include "framework/com/ComPtr.h"
#include "framework/com/InterfaceList.h"
#include "framework/com/TypeInfo.h"

namespace corvane {

namespace dispatch {

HRESULT GetTypeInfo(ITypeInfo* info, UINT index, ITypeInfo** out) noexcept;
HRESULT GetIDsOfNames(ITypeInfo* info, REFIID iid, LPOLESTR* names, UINT count, DISPID* ids) noexcept;
HRESULT Invoke(ITypeInfo* info, void* object, DISPID member, REFIID iid, WORD flags, DISPPARAMS* params,
               VARIANT* result, EXCEPINFO* exception, UINT* argumentError) noexcept;

}  // namespace dispatch

template <typename I>
class DispatchImpl : public I {
 public:
  using AnsweredInterfaces = InterfaceList<I, IDispatch>;

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept final {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** out) noexcept final {
    return dispatch::GetTypeInfo(typeInfo_.get(), index, out);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) noexcept final {
    return dispatch::GetIDsOfNames(typeInfo_.get(), iid, names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) noexcept final {
    return dispatch::Invoke(typeInfo_.get(), static_cast<I*>(this), member, iid, flags, params, result,
                            exception, argumentError);
  }

 protected:
  DispatchImpl() noexcept = default;

  // I from the library registered under `libid` (version 1.0, the library's own `locale`);
  // raises EOleSysError with the lookup's HRESULT when it is not registered.
  void UseRegisteredTypeInfo(const GUID& libid, LCID locale = 0) {
    typeInfo_ = RegisteredTypeInfo(libid, __uuidof(I), locale);
  }
  // I's type information given directly (an embedded library, a test's).
  void UseTypeInfo(ComPtr<ITypeInfo> info) { typeInfo_ = InterfaceSide(std::move(info)); }

 private:
  ComPtr<ITypeInfo> typeInfo_;
};

}  // namespace corvane
