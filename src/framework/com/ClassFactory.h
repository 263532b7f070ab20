// The class factory of one COM class: makes instances through the class's creation function and
// carries what the class writes at registration. Factories do not count as live objects (the
// module could never unload while it holds them); LockServer goes into the module lock.
#pragma once

#include <windows.h>
#include <objbase.h>

#include "framework/com/ClassRegistration.h"
#include "framework/com/ComObject.h"

namespace corvane {

class ClassFactory final : public ComObject<ClassFactory, IClassFactory> {
 public:
  // Makes one new object and hands out its interface `iid`, with the contract of CreateInstance
  // (aggregation is the creator's to accept or refuse).
  using Creator = HRESULT (*)(IUnknown* outer, REFIID iid, void** out) noexcept;

  ClassFactory(ClassRegistration registration, Creator create);

  const ClassRegistration& Registration() const noexcept { return registration_; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid,
                                           void** out) noexcept override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) noexcept override;

 private:
  ClassRegistration registration_;
  Creator create_;
};

}  // namespace corvane
