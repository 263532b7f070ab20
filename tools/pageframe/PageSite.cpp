#include "PageSite.h"

namespace corvane::pageframe {

HRESULT TPageSite::OnStatusChange(DWORD flags) noexcept {
  return Boundary<IPropertyPageSite>([&] {
    statusChanges_.push_back(flags);
    if (listener_) listener_(flags);
  });
}

HRESULT TPageSite::GetLocaleID(LCID* locale) noexcept {
  return Boundary<IPropertyPageSite>([&] { *locale = GetUserDefaultLCID(); }, locale);
}

HRESULT TPageSite::GetPageContainer(IUnknown** container) noexcept {
  // No container interfaces are defined for a page to ask for.
  return Boundary<IPropertyPageSite>([] { return E_NOTIMPL; }, container);
}

HRESULT TPageSite::TranslateAccelerator(MSG*) noexcept {
  ++acceleratorsOffered_;
  return S_FALSE;  // the frame has no accelerators of its own
}

}  // namespace corvane::pageframe
