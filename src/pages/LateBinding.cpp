#include "pages/LateBinding.h"

#include <algorithm>
#include <vector>

#include "framework/OleSysError.h"
#include "framework/com/AnsiConversion.h"
#include "framework/com/UniqueBstr.h"
#include "system/ErrorText.h"

namespace corvane::pages {

namespace {

[[noreturn]] void RaiseInvokeFailure(HRESULT result, EXCEPINFO& exception, const wchar_t* name) {
  if (result == DISP_E_EXCEPTION) {
    if (exception.pfnDeferredFillIn != nullptr) exception.pfnDeferredFillIn(&exception);
    const UniqueBstr description(exception.bstrDescription);
    const UniqueBstr source(exception.bstrSource);
    const UniqueBstr helpFile(exception.bstrHelpFile);
    const HRESULT code = exception.scode != 0 ? exception.scode
                                              : MAKE_HRESULT(SEVERITY_ERROR, FACILITY_DISPATCH,
                                                             exception.wCode);
    if (description.get() != nullptr && description.Length() != 0) {
      throw EOleSysError(BstrToAnsiLossy(description.get()), code);
    }
    result = code;
  }
  throw EOleSysError(WideToAnsiLossy(name) + ": " + SystemErrorText(result), result);
}

void Check(HRESULT result) {
  if (FAILED(result)) throw EOleSysError(SystemErrorText(result), result);
}

UniqueVariant Converted(const VARIANT& value, VARTYPE type) {
  UniqueVariant converted;
  // The source is only read; the declaration predates const.
  Check(VariantChangeType(converted.put(), const_cast<VARIANT*>(&value), 0, type));
  return converted;
}

}  // namespace

UniqueVariant CallByName(IDispatch& object, const wchar_t* name, WORD flags,
                         std::initializer_list<VARIANT> arguments) {
  DISPID member = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  HRESULT result = object.GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &member);
  if (FAILED(result)) {
    throw EOleSysError("The object has no member " + WideToAnsiLossy(name), result);
  }
  // DISPPARAMS wants the last argument first; the callee only reads them.
  std::vector<VARIANT> reversed(arguments.begin(), arguments.end());
  std::reverse(reversed.begin(), reversed.end());
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS parameters{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  if (flags & DISPATCH_PROPERTYPUT) {
    parameters.rgdispidNamedArgs = &named;
    parameters.cNamedArgs = 1;
  }
  UniqueVariant value;
  EXCEPINFO exception{};
  UINT badArgument = 0;
  result = object.Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters,
                         (flags & DISPATCH_PROPERTYPUT) ? nullptr : value.put(), &exception,
                         &badArgument);
  if (FAILED(result)) RaiseInvokeFailure(result, exception, name);
  return value;
}

void PutStringByName(IDispatch& object, const wchar_t* name, std::string_view value) {
  const UniqueBstr text = AnsiToBstr(value);
  VARIANT argument;
  VariantInit(&argument);
  argument.vt = VT_BSTR;
  argument.bstrVal = text.get();
  CallByName(object, name, DISPATCH_PROPERTYPUT, {argument});
}

void PutBooleanByName(IDispatch& object, const wchar_t* name, bool value) {
  VARIANT argument;
  VariantInit(&argument);
  argument.vt = VT_BOOL;
  argument.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  CallByName(object, name, DISPATCH_PROPERTYPUT, {argument});
}

bool GetBooleanByName(IDispatch& object, const wchar_t* name) {
  return VariantToInteger(*CallByName(object, name, DISPATCH_PROPERTYGET).get()) != 0;
}

VARIANT IntegerArgument(int32_t value) {
  VARIANT argument;
  VariantInit(&argument);
  argument.vt = VT_I4;
  argument.lVal = value;
  return argument;
}

UniqueVariant ItemOf(IDispatch& collection, int32_t index) {
  // A collection's Item is a method to some callers and a property to others.
  return CallByName(collection, L"Item", DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                    {IntegerArgument(index)});
}

std::vector<std::string> CollectionStrings(IDispatch& collection) {
  const int32_t count =
      VariantToInteger(*CallByName(collection, L"Count", DISPATCH_PROPERTYGET).get());
  std::vector<std::string> strings;
  for (int32_t i = 0; i < count; ++i) strings.push_back(VariantToString(*ItemOf(collection, i).get()));
  return strings;
}

std::string VariantToString(const VARIANT& value) {
  return BstrToAnsiLossy(Converted(value, VT_BSTR).get()->bstrVal);
}

int32_t VariantToInteger(const VARIANT& value) { return Converted(value, VT_I4).get()->lVal; }

DATE VariantToDate(const VARIANT& value) { return Converted(value, VT_DATE).get()->date; }

ComPtr<IDispatch> VariantToDispatch(const VARIANT& value) {
  UniqueVariant converted = Converted(value, VT_DISPATCH);
  if (converted.get()->pdispVal == nullptr) throw EOleSysError("The object is empty", E_POINTER);
  return ComPtr<IDispatch>::Copy(converted.get()->pdispVal);
}

}  // namespace corvane::pages
