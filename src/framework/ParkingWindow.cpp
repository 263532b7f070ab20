#include "framework/ParkingWindow.h"

#include "framework/WindowClass.h"

namespace corvane {

namespace {

constexpr char kClassName[] = "CorvaneParkingWindow";

// Weak: the components that park here decide how long the window lives.
thread_local std::weak_ptr<TParkingWindow> threadParking;

}  // namespace

std::shared_ptr<TParkingWindow> TParkingWindow::Acquire() noexcept {
  try {
    if (std::shared_ptr<TParkingWindow> existing = threadParking.lock()) return existing;
    static const TWindowClass windowClass(kClassName, &DefWindowProcA);
    windowClass.Require();
    // A popup that is never shown: no taskbar entry, no activation.
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP, 0, 0, 0, 0,
                                  nullptr, nullptr, windowClass.Instance(), nullptr);
    if (window == nullptr) return nullptr;
    std::shared_ptr<TParkingWindow> parking(new TParkingWindow(window));
    threadParking = parking;
    return parking;
  } catch (...) {
    return nullptr;
  }
}

TParkingWindow::~TParkingWindow() {
  if (GetWindowThreadProcessId(window_.get(), nullptr) != GetCurrentThreadId()) {
    PostMessageA(window_.release(), WM_CLOSE, 0, 0);
  }
}

}  // namespace corvane
