// A top-level window to put forms in, and a message pump for the tests that need the form's
// own timers and posted messages to run.
#pragma once

#include <windows.h>

#include "framework/forms/FormOwners.h"

namespace corvane::forms::test {

class THostWindow {
 public:
  THostWindow(int width, int height);
  HWND Handle() const { return window_.get(); }

 private:
  TUniqueWindow window_;
};

// Dispatches the thread's messages for about `milliseconds`.
void PumpMessages(DWORD milliseconds);

// The window's rectangle relative to the client area of `reference`.
RECT RectWithin(HWND window, HWND reference);

}  // namespace corvane::forms::test
