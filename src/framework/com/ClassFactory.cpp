#include "framework/com/ClassFactory.h"

#include <utility>

namespace corvane {

ClassFactory::ClassFactory(ClassRegistration registration, Creator create)
    : registration_(std::move(registration)), create_(create) {}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) noexcept {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  return create_(outer, iid, out);
}

HRESULT ClassFactory::LockServer(BOOL lock) noexcept {
  if (lock) {
    ModuleLock::Lock();
  } else {
    ModuleLock::Unlock();
  }
  return S_OK;
}

}  // namespace corvane
