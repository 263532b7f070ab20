// A hidden message-only window on the thread that created it, through which other threads have
// work run on that thread. Message-only windows need no display and receive no broadcasts; the
// creating thread only has to retrieve its messages, which every host message loop (and every
// modal loop) does.
#pragma once

#include <windows.h>

#include <atomic>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

#include "framework/WinHandle.h"

namespace corvane {

// One piece of work handed to the window's thread. Shared by the thread that waits for it and
// the window's queue, so whichever side lets go last frees it.
class TSyncRequest {
 public:
  enum class TState { Pending, Running, Finished, Withdrawn };

  explicit TSyncRequest(std::function<void()> method);
  TSyncRequest(const TSyncRequest&) = delete;
  TSyncRequest& operator=(const TSyncRequest&) = delete;

  // On the window's thread: runs the method unless the request was withdrawn first. An exception
  // of the method is kept for the waiting thread, never passed on.
  void Run() noexcept;
  // Takes the request back if it has not begun running; true when it will now never run.
  bool Withdraw() noexcept;

  TState State() const { return state_.load(); }
  // Signalled once the method has run or the request was withdrawn.
  HANDLE Done() const { return done_.get(); }
  std::exception_ptr Error() const { return error_; }

 private:
  std::function<void()> method_;
  std::atomic<TState> state_{TState::Pending};
  TUniqueHandle done_;
  std::exception_ptr error_;
};

class TSyncWindow {
 public:
  // Creates the window on the calling thread, which becomes the window's thread.
  static std::shared_ptr<TSyncWindow> Create();
  // Closes the window.
  ~TSyncWindow();
  TSyncWindow(const TSyncWindow&) = delete;
  TSyncWindow& operator=(const TSyncWindow&) = delete;

  DWORD ThreadId() const { return threadId_; }
  bool IsOwnThread() const { return GetCurrentThreadId() == threadId_; }

  // Any thread: queues the request and wakes the window. False when the window is closed, in
  // which case the request was withdrawn and will never run.
  bool Post(const std::shared_ptr<TSyncRequest>& request);

  // On the window's thread the window is destroyed here; on any other thread it is asked to
  // destroy itself when its thread next retrieves messages. Requests still queued are
  // withdrawn, which wakes the threads waiting for them; later posts are refused.
  void Close();

 private:
  TSyncWindow() = default;
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam) noexcept;
  void RunQueued();

  DWORD threadId_ = 0;
  std::mutex mutex_;
  HWND window_ = nullptr;  // guarded by mutex_; null once closed
  std::deque<std::shared_ptr<TSyncRequest>> queue_;  // guarded by mutex_
};

}  // namespace corvane
