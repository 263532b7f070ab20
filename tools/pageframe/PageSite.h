// The frame's side of a property page: a page site that records what the page tells it.
// A plain COM object of its own (one interface, one count), so the frame needs nothing of the
// library it tests.
#pragma once

#include <ocidl.h>

#include <atomic>
#include <functional>
#include <vector>

namespace corvane::pageframe {

class TPageSite final : public IPropertyPageSite {
 public:
  // Created with one reference, which the creator owns.
  static TPageSite* Create();

  // Every OnStatusChange, in order (PROPPAGESTATUS_DIRTY | PROPPAGESTATUS_VALIDATE is 3).
  const std::vector<DWORD>& StatusChanges() const { return statusChanges_; }
  int AcceleratorsOffered() const { return acceleratorsOffered_; }
  // Called after each status change is recorded (the frame enables its Apply button).
  void SetStatusListener(std::function<void(DWORD)> listener) { listener_ = std::move(listener); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) noexcept override;
  ULONG STDMETHODCALLTYPE AddRef() noexcept override;
  ULONG STDMETHODCALLTYPE Release() noexcept override;

  HRESULT STDMETHODCALLTYPE OnStatusChange(DWORD flags) noexcept override;
  HRESULT STDMETHODCALLTYPE GetLocaleID(LCID* locale) noexcept override;
  HRESULT STDMETHODCALLTYPE GetPageContainer(IUnknown** container) noexcept override;
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* message) noexcept override;

 private:
  TPageSite() = default;
  ~TPageSite() = default;

  std::atomic<ULONG> references_{1};
  std::vector<DWORD> statusChanges_;
  std::function<void(DWORD)> listener_;
  int acceleratorsOffered_ = 0;
};

}  // namespace corvane::pageframe
