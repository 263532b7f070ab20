#include "RecordingDispatch.h"

#include "framework/com/AnsiConversion.h"

namespace corvane::pages::test {

namespace {

std::string WrittenValue(const VARIANT& value) {
  switch (value.vt) {
    case VT_BSTR: return BstrToAnsiLossy(value.bstrVal);
    case VT_BOOL: return value.boolVal != VARIANT_FALSE ? "true" : "false";
    case VT_I4: return std::to_string(value.lVal);
    default: return "(type " + std::to_string(value.vt) + ")";
  }
}

}  // namespace

HRESULT TRecordingDispatch::GetTypeInfoCount(UINT* count) noexcept {
  return inner_->GetTypeInfoCount(count);
}

HRESULT TRecordingDispatch::GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) noexcept {
  return inner_->GetTypeInfo(index, locale, info);
}

HRESULT TRecordingDispatch::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) noexcept {
  const HRESULT result = inner_->GetIDsOfNames(iid, names, count, locale, ids);
  if (SUCCEEDED(result)) names_[ids[0]] = WideToAnsiLossy(names[0]);
  return result;
}

HRESULT TRecordingDispatch::Invoke(DISPID member, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                   UINT* badArgument) noexcept {
  const std::string name = names_[member];
  ++log_->calls[name];
  if ((flags & DISPATCH_PROPERTYPUT) != 0 && parameters->cArgs == 1) {
    log_->writes.push_back(name + "=" + WrittenValue(parameters->rgvarg[0]));
  }
  const HRESULT answer =
      inner_->Invoke(member, iid, locale, flags, parameters, result, exception, badArgument);
  if (SUCCEEDED(answer) && result != nullptr && result->vt == VT_DISPATCH &&
      result->pdispVal != nullptr) {
    ComPtr<IDispatch> handedOut;
    handedOut.attach(result->pdispVal);  // takes over the result's reference
    result->pdispVal = Make<TRecordingDispatch>(*handedOut.get(), log_).detach();
  }
  return answer;
}

}  // namespace corvane::pages::test
