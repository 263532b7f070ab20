// The owner for the descriptions a type info lends until they are given back.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "framework/com/ComPtr.h"

namespace corvane::tlborder {

// A TYPEATTR, FUNCDESC or VARDESC, returned to the type info that lent it.
template <typename T, void (STDMETHODCALLTYPE ITypeInfo::*Release)(T*)>
class Described {
 public:
  explicit Described(ITypeInfo* owner) : owner_(ComPtr<ITypeInfo>::Copy(owner)) {}
  Described(const Described&) = delete;
  Described& operator=(const Described&) = delete;
  ~Described() {
    if (value_) (owner_.get()->*Release)(value_);
  }
  T** put() { return &value_; }
  const T* operator->() const { return value_; }
  const T& operator*() const { return *value_; }

 private:
  ComPtr<ITypeInfo> owner_;
  T* value_ = nullptr;
};
using TypeAttr = Described<TYPEATTR, &ITypeInfo::ReleaseTypeAttr>;
using FuncDesc = Described<FUNCDESC, &ITypeInfo::ReleaseFuncDesc>;
using VarDesc = Described<VARDESC, &ITypeInfo::ReleaseVarDesc>;

}  // namespace corvane::tlborder
