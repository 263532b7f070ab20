#include "framework/SyncWindow.h"

#include <utility>
#include <vector>

#include "framework/SystemError.h"
#include "framework/WindowClass.h"

namespace corvane {

namespace {

constexpr UINT kRunQueued = WM_APP + 0x10;
constexpr char kClassName[] = "CorvaneSyncWindow";

// What the window's user data holds: a weak link, so a message that arrives after the object
// was freed on another thread finds nothing instead of a dangling pointer. Owned by the window
// and freed with it.
using TWindowLink = std::weak_ptr<TSyncWindow>;

}  // namespace

TSyncRequest::TSyncRequest(std::function<void()> method)
    : method_(std::move(method)), done_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
  if (!done_) RaiseLastSystemErrorOr("CreateEvent failed");
}

void TSyncRequest::Run() noexcept {
  TState expected = TState::Pending;
  if (!state_.compare_exchange_strong(expected, TState::Running)) return;
  try {
    method_();
  } catch (...) {
    error_ = std::current_exception();
  }
  state_.store(TState::Finished);
  SetEvent(done_.get());
}

bool TSyncRequest::Withdraw() noexcept {
  TState expected = TState::Pending;
  if (!state_.compare_exchange_strong(expected, TState::Withdrawn)) {
    return expected == TState::Withdrawn;
  }
  SetEvent(done_.get());
  return true;
}

std::shared_ptr<TSyncWindow> TSyncWindow::Create() {
  static const TWindowClass windowClass(kClassName, &TSyncWindow::WindowProc);
  windowClass.Require();

  std::shared_ptr<TSyncWindow> self(new TSyncWindow);
  self->threadId_ = GetCurrentThreadId();
  HWND window = CreateWindowExA(0, windowClass.Name(), "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                windowClass.Instance(), nullptr);
  if (window == nullptr) RaiseLastSystemErrorOr("CreateWindowEx failed");
  SetWindowLongPtrA(window, GWLP_USERDATA,
                    reinterpret_cast<LONG_PTR>(new TWindowLink(self)));
  self->window_ = window;
  return self;
}

TSyncWindow::~TSyncWindow() { Close(); }

bool TSyncWindow::Post(const std::shared_ptr<TSyncRequest>& request) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (window_ != nullptr) {
      bool wake = queue_.empty();
      queue_.push_back(request);
      if (!wake || PostMessageA(window_, kRunQueued, 0, 0)) return true;
      queue_.pop_back();
    }
  }
  request->Withdraw();
  return false;
}

void TSyncWindow::Close() {
  HWND window;
  std::deque<std::shared_ptr<TSyncRequest>> pending;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    window = std::exchange(window_, nullptr);
    pending.swap(queue_);
  }
  for (auto& request : pending) request->Withdraw();
  if (window == nullptr) return;
  // Only the window's own thread may destroy it; from elsewhere it is asked to close itself.
  if (IsOwnThread()) {
    DestroyWindow(window);
  } else {
    PostMessageA(window, WM_CLOSE, 0, 0);
  }
}

void TSyncWindow::RunQueued() {
  std::deque<std::shared_ptr<TSyncRequest>> work;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    work.swap(queue_);
  }
  for (auto& request : work) request->Run();
}

LRESULT CALLBACK TSyncWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) noexcept {
  auto* link = reinterpret_cast<TWindowLink*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == kRunQueued) {
    // Held for the whole run: a method may drop the last other reference to this window.
    if (std::shared_ptr<TSyncWindow> self = link ? link->lock() : nullptr) {
      try {
        self->RunQueued();
      } catch (...) {
        // Requests keep their own errors; only taking the queue over can fail (memory).
      }
    }
    return 0;
  }
  if (message == WM_NCDESTROY && link != nullptr) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    delete link;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace corvane
