// The frame's side of a property page: a page site that records what the page tells it.
#pragma once

#include <ocidl.h>

#include <functional>
#include <vector>

#include "framework/com/ComObject.h"

namespace corvane::pageframe {

class TPageSite final : public ComObject<TPageSite, IPropertyPageSite> {
 public:
  // Every OnStatusChange, in order (PROPPAGESTATUS_DIRTY | PROPPAGESTATUS_VALIDATE is 3).
  const std::vector<DWORD>& StatusChanges() const { return statusChanges_; }
  int AcceleratorsOffered() const { return acceleratorsOffered_; }
  // Called after each status change is recorded (the frame enables its Apply button).
  void SetStatusListener(std::function<void(DWORD)> listener) { listener_ = std::move(listener); }

  HRESULT STDMETHODCALLTYPE OnStatusChange(DWORD flags) noexcept override;
  HRESULT STDMETHODCALLTYPE GetLocaleID(LCID* locale) noexcept override;
  HRESULT STDMETHODCALLTYPE GetPageContainer(IUnknown** container) noexcept override;
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* message) noexcept override;

 private:
  std::vector<DWORD> statusChanges_;
  std::function<void(DWORD)> listener_;
  int acceleratorsOffered_ = 0;
};

}  // namespace corvane::pageframe
