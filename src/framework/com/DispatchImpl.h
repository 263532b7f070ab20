// IDispatch of a dual interface I, answered from I's type information: names are looked up
// without regard to case, and Invoke calls the object's own vtable members, so every call still
// runs through the member's ComBoundary. Put it in a ComObject's list in place of I:
//
//   class TThing final : public ComObject<TThing, DispatchImpl<IThing>, ISupportErrorInfo> {
//     TThing() { UseRegisteredTypeInfo(LIBID_Things); }
//
// Before a member runs, Invoke checks the call against the member's declaration and converts
// every argument (DispatchTable.h): too many or too few arguments give DISP_E_BADPARAMCOUNT, a
// name the member does not have DISP_E_PARAMNOTFOUND, a value that does not fit the conversion's
// own error (a NaN or an infinity given for an integer: DISP_E_OVERFLOW). The object is kept alive
// until the call returns, whatever the script does while its arguments are converted.
//
// Until one of the Use functions ran, every IDispatch member fails with E_UNEXPECTED.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <memory>
#include <utility>

#include "framework/com/ComPtr.h"
#include "framework/com/DispatchTable.h"
#include "framework/com/InterfaceList.h"
#include "framework/com/TypeInfo.h"

namespace corvane {

// A list that For Each walks. Its object answers DISPID_NEWENUM (-4), which the type information
// does not declare, with NewEnum's enumerator. Derive from it beside a DispatchImpl.
class ICollection {
 public:
  // A new enumerator over a snapshot of the entries; fails like a member, through its boundary.
  virtual HRESULT NewEnum(IEnumVARIANT** out) noexcept = 0;

 protected:
  ~ICollection() = default;
};

namespace dispatch {

HRESULT GetTypeInfo(const TDispatchTable* table, UINT index, ITypeInfo** out) noexcept;
HRESULT GetIDsOfNames(const TDispatchTable* table, REFIID iid, LPOLESTR* names, UINT count, DISPID* ids) noexcept;
// `object` is the dual interface whose members the table describes; `collection`, when not null,
// answers DISPID_NEWENUM.
HRESULT Invoke(const TDispatchTable* table, IUnknown* object, ICollection* collection, DISPID member, REFIID iid,
               LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
               UINT* argumentError) noexcept;

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
    return dispatch::GetTypeInfo(table_.get(), index, out);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) noexcept final {
    return dispatch::GetIDsOfNames(table_.get(), iid, names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) noexcept final {
    ICollection* collection = member == DISPID_NEWENUM ? dynamic_cast<ICollection*>(this) : nullptr;
    return dispatch::Invoke(table_.get(), static_cast<I*>(this), collection, member, iid, locale, flags, params,
                            result, exception, argumentError);
  }

 protected:
  DispatchImpl() noexcept = default;

  // I from the library registered under `libid` (version 1.0, the library's own `locale`);
  // raises EOleSysError with the lookup's HRESULT when it is not registered.
  void UseRegisteredTypeInfo(const GUID& libid, LCID locale = 0) {
    table_ = DispatchTableOf(RegisteredTypeInfo(libid, __uuidof(I), locale));
  }
  // I's type information given directly (an embedded library, a test's).
  void UseTypeInfo(ComPtr<ITypeInfo> info) { table_ = DispatchTableOf(InterfaceSide(std::move(info))); }

 private:
  std::shared_ptr<const TDispatchTable> table_;
};

}  // namespace corvane
