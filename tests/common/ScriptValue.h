// A script's object passed as an argument: converting it to a string asks for its default value,
// and that runs the script's own code first (as a JScript object's toString does).
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <functional>
#include <utility>

#include "framework/com/ComObject.h"

namespace corvane::test {

class TScriptValue final : public ComObject<TScriptValue, IDispatch> {
 public:
  explicit TScriptValue(std::function<void()> onRead) : onRead_(std::move(onRead)) {}

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                   UINT*) noexcept override {
    if (member != DISPID_VALUE || result == nullptr) return DISP_E_MEMBERNOTFOUND;
    onRead_();
    V_VT(result) = VT_BSTR;
    V_BSTR(result) = SysAllocString(L"converted");
    return S_OK;
  }

  // The object as an argument (the caller keeps its own reference).
  VARIANT Argument() noexcept {
    VARIANT value;
    V_VT(&value) = VT_DISPATCH;
    V_DISPATCH(&value) = this;
    return value;
  }

 private:
  std::function<void()> onRead_;
};

}  // namespace corvane::test
