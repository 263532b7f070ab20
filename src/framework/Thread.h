// The framework's worker thread: created suspended, started with Resume, asked to stop with
// Terminate, optionally freeing itself when Execute returns, and able to have a method run on
// the thread that created it (Synchronize).
//
// Synchronize goes through a message-only window made on the creating thread, so that thread
// must retrieve messages for synchronized methods to run. While it does not, the worker waits;
// Terminate releases such a wait (the method then does not run, unless it had already begun).
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>

#include "framework/SyncWindow.h"
#include "framework/WinHandle.h"

namespace corvane {

class TThread {
 public:
  // Always created suspended; the creating thread becomes the one Synchronize runs methods on.
  TThread();
  // Not for a FreeOnTerminate thread that has been started: such a thread frees itself. Otherwise
  // a thread still running is terminated, resumed if suspended, and waited for.
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  void Resume();
  bool Suspended() const { return suspended_.load(); }
  // Sets Terminated and releases a wait in Synchronize; Execute is expected to notice.
  void Terminate();
  bool Terminated() const { return terminated_.load(); }
  bool Finished() const { return finished_.load(); }

  bool FreeOnTerminate() const { return freeOnTerminate_.load(); }
  void SetFreeOnTerminate(bool value) { freeOnTerminate_.store(value); }

  HANDLE Handle() const { return handle_.get(); }
  DWORD ThreadId() const { return threadId_; }
  // A handle of the caller's own to this thread; it stays valid after a FreeOnTerminate thread
  // has freed itself, so it is what an owner waits on.
  TUniqueHandle DuplicateHandle() const;
  // Waits until the thread has ended and returns ReturnValue. Not for FreeOnTerminate threads.
  DWORD WaitFor();

  // The window of the creating thread that synchronized methods run through.
  const std::shared_ptr<TSyncWindow>& SyncWindow() const { return syncWindow_; }

 protected:
  virtual void Execute() = 0;

  // Runs `method` on the creating thread and waits until it has run. Returns false when it did
  // not run to its end there: the thread was terminated before or during the wait, or the window
  // was closed. An exception of the method is raised again here, in the worker. Called on the
  // creating thread itself, the method is simply called.
  bool Synchronize(const std::function<void()>& method);

  void SetReturnValue(DWORD value) { returnValue_ = value; }

 private:
  static unsigned __stdcall ThreadProc(void* self) noexcept;

  TUniqueHandle handle_;
  DWORD threadId_ = 0;
  TUniqueHandle terminateEvent_;  // manual reset: releases Synchronize waits for good
  std::shared_ptr<TSyncWindow> syncWindow_;
  std::atomic<bool> suspended_{true};
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  std::atomic<bool> freeOnTerminate_{false};
  DWORD returnValue_ = 0;
};

}  // namespace corvane
