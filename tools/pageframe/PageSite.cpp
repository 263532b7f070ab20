#include "PageSite.h"

#include <new>

namespace corvane::pageframe {

TPageSite* TPageSite::Create() { return new TPageSite; }

HRESULT TPageSite::QueryInterface(REFIID iid, void** object) noexcept {
  if (object == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IPropertyPageSite) {
    *object = static_cast<IPropertyPageSite*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG TPageSite::AddRef() noexcept { return ++references_; }

ULONG TPageSite::Release() noexcept {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT TPageSite::OnStatusChange(DWORD flags) noexcept {
  try {
    statusChanges_.push_back(flags);
    if (listener_) listener_(flags);
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

HRESULT TPageSite::GetLocaleID(LCID* locale) noexcept {
  if (locale == nullptr) return E_POINTER;
  *locale = GetUserDefaultLCID();
  return S_OK;
}

HRESULT TPageSite::GetPageContainer(IUnknown** container) noexcept {
  // No container interfaces are defined for a page to ask for.
  if (container != nullptr) *container = nullptr;
  return E_NOTIMPL;
}

HRESULT TPageSite::TranslateAccelerator(MSG*) noexcept {
  ++acceleratorsOffered_;
  return S_FALSE;  // the frame has no accelerators of its own
}

}  // namespace corvane::pageframe
