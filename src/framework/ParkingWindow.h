// The hidden window that holds components' windows while no container shows them: from their
// creation until a container activates the control, and again after it deactivates it. One per
// thread, since a window belongs to the thread that made it; it lives while a component holds it.
//
// A hidden top-level window needs a display. Where there is none (scripts run on headless
// machines) it cannot be made: Acquire then answers null, and components stay without a window
// until a container gives them a parent. Nothing else in a component needs its window.
#pragma once

#include <windows.h>

#include <memory>

#include "framework/WinHandle.h"

namespace corvane {

class TParkingWindow {
 public:
  // This thread's parking window, made on first need; null when no window can be made here.
  static std::shared_ptr<TParkingWindow> Acquire() noexcept;
  // Destroyed on its own thread; from any other it is asked to close itself.
  ~TParkingWindow();
  TParkingWindow(const TParkingWindow&) = delete;
  TParkingWindow& operator=(const TParkingWindow&) = delete;

  HWND Handle() const { return window_.get(); }

 private:
  explicit TParkingWindow(HWND window) : window_(window) {}

  TWindowOwner window_;
};

}  // namespace corvane
