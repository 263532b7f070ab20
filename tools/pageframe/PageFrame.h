// A property frame of our own around one property page: it plays the host's part step by step
// (SetPageSite, SetObjects, Activate in a real top-level window, Show, IsPageDirty, Apply,
// Deactivate), so tests can drive a page through every call a frame makes and see what the page
// tells its site. Also runs by hand (pageframe.exe) and takes screenshots of itself.
#pragma once

#include <ocidl.h>

#include <string>
#include <vector>

#include "PageSite.h"
#include "framework/com/ComPtr.h"
#include "framework/forms/FormOwners.h"

namespace corvane::pageframe {

struct TPageInfo {
  HRESULT result = E_FAIL;
  std::wstring title;
  SIZE size{};
  std::wstring docString;
  std::wstring helpFile;
  DWORD helpContext = 0;
};

class TPageFrame {
 public:
  explicit TPageFrame(IPropertyPage* page);
  // Deactivates the page if it is active, takes the site back and closes the window.
  ~TPageFrame();
  TPageFrame(const TPageFrame&) = delete;
  TPageFrame& operator=(const TPageFrame&) = delete;

  TPageSite& Site() { return *site_.get(); }
  IPropertyPage* Page() const { return page_.get(); }

  HRESULT SetPageSite();
  HRESULT SetObjects(const std::vector<IUnknown*>& objects);
  TPageInfo PageInfo();
  // Opens the frame window the first time (sized for the page, titled with its title) and
  // activates the page in it, not modal.
  HRESULT Activate();
  HRESULT Show(UINT command = SW_SHOW);
  HRESULT IsPageDirty();
  HRESULT Apply();
  HRESULT Deactivate();

  bool Active() const { return active_; }
  HWND Window() const { return window_.get(); }
  // Where the page sits, in the window's client coordinates.
  RECT PageRect() const { return pageRect_; }

  // Dispatches the thread's messages for about `milliseconds`, offering keys to the page.
  void Pump(DWORD milliseconds);
  // Writes what the screen shows of the frame window to a PNG file; raises std::runtime_error.
  void SaveScreenshot(const std::string& path);
  // For use by hand: runs until the window is closed.
  void RunUntilClosed();

  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void OpenWindow(const TPageInfo& info);
  bool Dispatch(MSG& message);

  ComPtr<IPropertyPage> page_;
  ComPtr<TPageSite> site_;
  forms::TUniqueWindow window_;
  HWND applyButton_ = nullptr;
  RECT pageRect_{};
  bool active_ = false;
};

// Saves what the screen shows of `window` (as drawn, frame included) as a PNG file; raises
// std::runtime_error when the screen cannot be read or the file written.
void SaveWindowPicture(HWND window, const std::string& path);

}  // namespace corvane::pageframe
