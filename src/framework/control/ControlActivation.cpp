// In-place activation: the component's window moves from the parking window into the
// container's window and back. The control takes no keyboard focus and shows no menus or
// toolbars, so activation stops short of the user-interface state.
#include <olectl.h>
#include "framework/OleSysError.h"
#include "framework/com/UniqueTaskMem.h"
#include "framework/control/ControlBase.h"

namespace corvane {

void TControlBase::InPlaceActivate() {
  if (InPlaceActive()) return;
  if (!clientSite_) throw EOleSysError("The control has no client site", static_cast<int32_t>(E_UNEXPECTED));
  ComPtr<IOleInPlaceSite> site = clientSite_.try_query<IOleInPlaceSite>();
  if (!site) {
    throw EOleSysError("The container cannot show the control in place",
                       static_cast<int32_t>(OLE_E_NOT_INPLACEACTIVE));
  }
  if (site->CanInPlaceActivate() != S_OK) {
    throw EOleSysError("The container refused in-place activation", static_cast<int32_t>(E_FAIL));
  }
  RaiseIfFailed(site->OnInPlaceActivate(), "OnInPlaceActivate");
  try {
    HWND parent = nullptr;
    RaiseIfFailed(site->GetWindow(&parent), "IOleInPlaceSite::GetWindow");
    ComPtr<IOleInPlaceFrame> frame;
    ComPtr<IOleInPlaceUIWindow> document;
    RECT position{};
    RECT clip{};
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof frameInfo;
    RaiseIfFailed(site->GetWindowContext(frame.put(), document.put(), &position, &clip, &frameInfo),
                  "GetWindowContext");
    component_->ParentTo(parent);
    SetObjectRects(position);
    ShowWindow(component_->WindowHandle(), SW_SHOWNA);
  } catch (...) {
    component_->ParentTo(nullptr);
    site->OnInPlaceDeactivate();
    throw;
  }
  inPlaceSite_ = std::move(site);
}

void TControlBase::InPlaceDeactivate() {
  if (!InPlaceActive()) return;
  ComPtr<IOleInPlaceSite> site = std::move(inPlaceSite_);
  if (HWND window = component_->WindowHandle()) ShowWindow(window, SW_HIDE);
  component_->ParentTo(nullptr);
  site->OnInPlaceDeactivate();
}

void TControlBase::SetObjectRects(const RECT& position) {
  component_->SetBounds(position.left, position.top, position.right - position.left,
                        position.bottom - position.top);
}

void TControlBase::ShowPropertyPages(IUnknown* self, HWND parent) {
  // A container that edits properties in its own frame is asked first.
  if (ComPtr<IOleControlSite> site = clientSite_.try_query<IOleControlSite>()) {
    if (SUCCEEDED(site->ShowPropertyFrame())) return;
  }
  std::vector<CLSID> pages = PropertyPages();
  if (pages.empty()) throw EOleSysError("The control has no property pages", static_cast<int32_t>(E_NOTIMPL));
  IUnknown* objects[] = {self};
  RaiseIfFailed(OleCreatePropertyFrame(parent, 0, 0, L"", 1, objects, static_cast<ULONG>(pages.size()),
                                       pages.data(), LOCALE_USER_DEFAULT, 0, nullptr),
                "OleCreatePropertyFrame");
}

}  // namespace corvane
