#include "FormTestSupport.h"

#include <stdexcept>

namespace corvane::forms::test {

THostWindow::THostWindow(int width, int height)
    : window_(CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                              width, height, nullptr, nullptr, nullptr, nullptr)) {
  if (!window_) throw std::runtime_error("no host window (is there a display?)");
}

void PumpMessages(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(5);
  } while (GetTickCount() - start < milliseconds);
}

RECT RectWithin(HWND window, HWND reference) {
  RECT rect{};
  GetWindowRect(window, &rect);
  MapWindowPoints(HWND_DESKTOP, reference, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

}  // namespace corvane::forms::test
