#include "framework/com/DispatchImpl.h"

#include <cmath>
#include <iterator>
#include <new>
#include <vector>

#include "framework/com/UniqueVariant.h"

namespace corvane::dispatch {
namespace {

bool IsInteger(VARTYPE type) noexcept {
  switch (type) {
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4: case VT_I8: case VT_UI8:
    case VT_INT: case VT_UINT:
      return true;
    default:
      return false;
  }
}

bool IsNotFinite(const VARIANT& value) noexcept {
  switch (V_VT(&value)) {
    case VT_R4: return !std::isfinite(V_R4(&value));
    case VT_R8: return !std::isfinite(V_R8(&value));
    case VT_DATE: return !std::isfinite(V_DATE(&value));
    default: return false;
  }
}

// `value` in `type` (VT_VARIANT: as given, references included). The system's conversion takes a
// NaN or an infinity for a number that fits any integer; here it does not fit. The caller's
// argument is only read (the system's declarations lack the const).
HRESULT Convert(VARIANT& value, VARTYPE type, VARIANT* into) noexcept {
  if (type == VT_VARIANT || V_VT(&value) == type) return VariantCopy(into, &value);
  UniqueVariant direct;
  if (const HRESULT hr = VariantCopyInd(direct.put(), &value); FAILED(hr)) return hr;
  if (IsInteger(type) && IsNotFinite(*direct.get())) return DISP_E_OVERFLOW;
  return VariantChangeType(into, const_cast<VARIANT*>(direct.get()), 0, type);
}

// A caller's arguments for one member: checked against its declaration, put in declaration order
// and converted, before the member runs. Arguments beyond a read's own that go on to the default
// member of the object it gives are the Rest.
class TPreparedCall {
 public:
  TPreparedCall() = default;
  TPreparedCall(const TPreparedCall&) = delete;
  TPreparedCall& operator=(const TPreparedCall&) = delete;
  ~TPreparedCall() {
    for (UINT i = 0; i < count_; ++i) VariantClear(&arguments_[i]);
  }

  // S_OK, or what the caller gets: DISP_E_BADPARAMCOUNT, DISP_E_PARAMNOTFOUND or a conversion's
  // failure, `argumentError` naming the argument at fault for the last two.
  HRESULT Prepare(const TDispatchMember& member, const DISPPARAMS& given, UINT* argumentError);
  DISPPARAMS* Params() noexcept { return &params_; }
  bool HasRest() const noexcept { return rest_.cArgs != 0; }
  DISPPARAMS* Rest() noexcept { return &rest_; }

 private:
  // In the order of DISPPARAMS, the last one first; members rarely take more than a few.
  VARIANT few_[4];
  std::vector<VARIANT> many_;
  VARIANT* arguments_ = few_;
  UINT count_ = 0;
  DISPID putId_ = DISPID_PROPERTYPUT;
  DISPPARAMS params_{};
  DISPPARAMS rest_{};
};

HRESULT Fault(HRESULT code, UINT at, UINT* argumentError) noexcept {
  if (argumentError != nullptr) *argumentError = at;
  return code;
}

HRESULT TPreparedCall::Prepare(const TDispatchMember& member, const DISPPARAMS& given, UINT* argumentError) {
  if (given.cNamedArgs > given.cArgs || (given.cArgs != 0 && given.rgvarg == nullptr) ||
      (given.cNamedArgs != 0 && given.rgdispidNamedArgs == nullptr)) {
    return E_INVALIDARG;
  }
  const UINT inputs = static_cast<UINT>(member.inputs.size());
  const bool write = (member.kind & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  UINT positional = given.cArgs - given.cNamedArgs;
  if (given.cArgs > inputs) {
    if (!member.givesObject || given.cNamedArgs != 0) return DISP_E_BADPARAMCOUNT;
    rest_ = {given.rgvarg, nullptr, given.cArgs - inputs, 0};
    positional = inputs;
  }
  // The input a named argument is for; a write's value, named or not, is its last input.
  auto position = [&](UINT named) {
    const DISPID id = given.rgdispidNamedArgs[named];
    return id == DISPID_PROPERTYPUT && write ? inputs - 1 : static_cast<UINT>(id);
  };
  // The caller's argument for input `j`, as an index into rgvarg; cArgs for none.
  auto source = [&](UINT j) {
    if (j < positional) return given.cArgs - 1 - j;
    for (UINT i = 0; i < given.cNamedArgs; ++i) {
      if (position(i) == j) return i;
    }
    return given.cArgs;
  };

  // Every check before the first conversion, which may already run the script.
  for (UINT i = 0; i < given.cNamedArgs; ++i) {
    const UINT at = position(i);
    bool taken = at >= inputs || at < positional;
    for (UINT earlier = 0; earlier < i && !taken; ++earlier) taken = position(earlier) == at;
    if (taken) return Fault(DISP_E_PARAMNOTFOUND, i, argumentError);
  }
  for (UINT j = positional; j < inputs; ++j) {
    if (!member.inputs[j].optional && source(j) == given.cArgs) return DISP_E_BADPARAMCOUNT;
  }

  if (inputs > std::size(few_)) {
    many_.resize(inputs);
    arguments_ = many_.data();
  }
  for (; count_ < inputs; ++count_) VariantInit(&arguments_[count_]);
  for (UINT j = 0; j < inputs; ++j) {
    VARIANT& into = arguments_[inputs - 1 - j];
    const UINT from = source(j);
    if (from == given.cArgs) {
      V_VT(&into) = VT_ERROR;
      V_ERROR(&into) = DISP_E_PARAMNOTFOUND;  // what callers pass for an argument left out
      continue;
    }
    const HRESULT hr = Convert(given.rgvarg[from], member.inputs[j].type, &into);
    if (FAILED(hr)) return Fault(hr, from, argumentError);
  }
  params_ = {arguments_, write ? &putId_ : nullptr, inputs, write ? 1u : 0u};
  return S_OK;
}

// A member's failure as a script sees it: DISP_E_EXCEPTION with the member's error record.
HRESULT AsException(HRESULT failure, EXCEPINFO* exception) noexcept {
  if (exception == nullptr) return failure;
  *exception = EXCEPINFO{};
  exception->scode = failure;
  ComPtr<IErrorInfo> record;
  if (GetErrorInfo(0, record.put()) == S_OK) {
    record->GetDescription(&exception->bstrDescription);
    record->GetSource(&exception->bstrSource);
    record->GetHelpFile(&exception->bstrHelpFile);
    record->GetHelpContext(&exception->dwHelpContext);
  }
  return DISP_E_EXCEPTION;
}

HRESULT Enumerate(ICollection& collection, const DISPPARAMS& given, VARIANT* result, EXCEPINFO* exception) noexcept {
  if (given.cArgs != 0) return DISP_E_BADPARAMCOUNT;
  ComPtr<IEnumVARIANT> items;
  if (const HRESULT hr = collection.NewEnum(items.put()); FAILED(hr)) return AsException(hr, exception);
  if (result != nullptr) {
    V_VT(result) = VT_UNKNOWN;
    V_UNKNOWN(result) = items.detach();
  }
  return S_OK;
}

}  // namespace

HRESULT GetTypeInfo(const TDispatchTable* table, UINT index, ITypeInfo** out) noexcept {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  if (table == nullptr) return E_UNEXPECTED;
  ComPtr<ITypeInfo>::Copy(table->Info()).copy_to(out);
  return S_OK;
}

HRESULT GetIDsOfNames(const TDispatchTable* table, REFIID iid, LPOLESTR* names, UINT count, DISPID* ids) noexcept {
  if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (table == nullptr) return E_UNEXPECTED;
  return DispGetIDsOfNames(table->Info(), names, count, ids);
}

HRESULT Invoke(const TDispatchTable* table, IUnknown* object, ICollection* collection, DISPID member, REFIID iid,
               LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
               UINT* argumentError) noexcept {
  if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (table == nullptr) return E_UNEXPECTED;
  DISPPARAMS none{};
  const DISPPARAMS& given = params != nullptr ? *params : none;
  // Converting an argument may run the script (a default member, a toString), which may let go
  // of this object: it lives until the call returns.
  const ComPtr<IUnknown> hold = ComPtr<IUnknown>::Copy(object);
  if (result != nullptr) VariantInit(result);
  try {
    if (collection != nullptr && (flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) != 0) {
      return Enumerate(*collection, given, result, exception);
    }
    const TDispatchMember* declared = table->Find(member, flags);
    if (declared == nullptr) return DISP_E_MEMBERNOTFOUND;
    TPreparedCall call;
    if (const HRESULT hr = call.Prepare(*declared, given, argumentError); FAILED(hr)) return hr;
    if (!call.HasRest()) {
      return DispInvoke(object, table->Info(), member, declared->kind, call.Params(), result, exception,
                        argumentError);
    }
    UniqueVariant read;
    const HRESULT hr = DispInvoke(object, table->Info(), member, declared->kind, call.Params(), read.put(),
                                  exception, argumentError);
    if (FAILED(hr)) return hr;
    if (read.Type() != VT_DISPATCH || V_DISPATCH(read.get()) == nullptr) return DISP_E_BADPARAMCOUNT;
    return V_DISPATCH(read.get())
        ->Invoke(DISPID_VALUE, IID_NULL, locale, flags, call.Rest(), result, exception, argumentError);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace corvane::dispatch
