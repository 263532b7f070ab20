// Owners for what reading a type library hands out: strings and the descriptions a type info
// lends until they are given back.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

#include "evtsvc/Owners.h"

namespace corvane::tlborder {

struct BstrTraits {
  static BSTR Invalid() noexcept { return nullptr; }
  static void Close(BSTR text) noexcept { SysFreeString(text); }
};
using Bstr = corvane::TUniqueResource<BSTR, BstrTraits>;

// A TYPEATTR, FUNCDESC or VARDESC, returned to the type info that lent it.
template <typename T, void (STDMETHODCALLTYPE ITypeInfo::*Release)(T*)>
class Described {
 public:
  explicit Described(ITypeInfo* owner) : owner_(owner) {}
  Described(const Described&) = delete;
  Described& operator=(const Described&) = delete;
  ~Described() {
    if (value_) (owner_.Get()->*Release)(value_);
  }
  T** put() { return &value_; }
  const T* operator->() const { return value_; }
  const T& operator*() const { return *value_; }

 private:
  Microsoft::WRL::ComPtr<ITypeInfo> owner_;
  T* value_ = nullptr;
};
using TypeAttr = Described<TYPEATTR, &ITypeInfo::ReleaseTypeAttr>;
using FuncDesc = Described<FUNCDESC, &ITypeInfo::ReleaseFuncDesc>;
using VarDesc = Described<VARDESC, &ITypeInfo::ReleaseVarDesc>;

}  // namespace corvane::tlborder
