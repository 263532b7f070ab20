// What a property browser asks of a control: predefined values per property
// (IPerPropertyBrowsing) and the property pages (ISpecifyPropertyPages). Lists handed out are
// the caller's, in task memory.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <cstring>
#include <vector>
#include "framework/com/InterfaceList.h"
#include "framework/com/UniqueTaskMem.h"
#include "framework/control/ControlBase.h"
#include "framework/control/ControlMember.h"

namespace corvane {

// The browser's two arrays for `strings`; on failure nothing is left allocated.
void FillPredefinedStrings(const std::vector<TPredefinedString>& strings, CALPOLESTR& texts, CADWORD& cookies);
// The page list as the container takes it.
void FillPageList(const std::vector<CLSID>& pages, CAUUID& out);

template <class Derived>
class TPerPropertyBrowsingImpl : public TControlPiece<Derived, IPerPropertyBrowsing> {
 public:
  using AnsweredInterfaces = InterfaceList<IPerPropertyBrowsing>;

  // The browser shows the property's own value.
  HRESULT STDMETHODCALLTYPE GetDisplayString(DISPID, BSTR* out) noexcept override {
    if (out != nullptr) *out = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE MapPropertyToPage(DISPID, CLSID* out) noexcept override {
    if (out != nullptr) *out = CLSID_NULL;
    return PERPROP_E_NOPAGEAVAILABLE;
  }
  HRESULT STDMETHODCALLTYPE GetPredefinedStrings(DISPID id, CALPOLESTR* texts, CADWORD* cookies) noexcept override {
    if (texts == nullptr || cookies == nullptr) return E_POINTER;
    *texts = {};
    *cookies = {};
    return Member([&]() -> HRESULT {
      std::vector<TPredefinedString> strings;
      if (!Control().PredefinedStrings(id, strings)) return E_NOTIMPL;
      FillPredefinedStrings(strings, *texts, *cookies);
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE GetPredefinedValue(DISPID id, DWORD cookie, VARIANT* out) noexcept override {
    return Member(
        [&]() -> HRESULT {
          UniqueVariant value;
          if (!Control().PredefinedValue(id, cookie, value)) return E_NOTIMPL;
          *out = value.release();
          return S_OK;
        },
        out);
  }

 private:
  using TControlPiece<Derived, IPerPropertyBrowsing>::Self;
  using TControlPiece<Derived, IPerPropertyBrowsing>::Control;
  using TControlPiece<Derived, IPerPropertyBrowsing>::Member;
};

template <class Derived>
class TSpecifyPropertyPagesImpl : public TControlPiece<Derived, ISpecifyPropertyPages> {
 public:
  using AnsweredInterfaces = InterfaceList<ISpecifyPropertyPages>;

  HRESULT STDMETHODCALLTYPE GetPages(CAUUID* out) noexcept override {
    if (out == nullptr) return E_POINTER;
    *out = {};
    return Member([&] { FillPageList(Control().PropertyPages(), *out); });
  }

 private:
  using TControlPiece<Derived, ISpecifyPropertyPages>::Self;
  using TControlPiece<Derived, ISpecifyPropertyPages>::Control;
  using TControlPiece<Derived, ISpecifyPropertyPages>::Member;
};

}  // namespace corvane
