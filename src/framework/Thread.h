// The framework's worker thread: created suspended, started with Resume, asked to stop with
// Terminate, and able to have a method run on the thread that created it (Synchronize). Its
// owner destroys it, which stops it and waits for it to end.
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
  // Terminates the thread, resumes it if suspended, and waits until it has ended: a thread
  // that never ran ends without running Execute.
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  // Starts a suspended thread; does nothing otherwise.
  void Resume();
  bool Suspended() const { return suspended_.load(); }
  // Sets Terminated and releases a wait in Synchronize; Execute is expected to notice.
  void Terminate();
  bool Terminated() const { return terminated_.load(); }
  // Execute has returned.
  bool Finished() const { return finished_.load(); }

  HANDLE Handle() const { return handle_.get(); }
  DWORD ThreadId() const { return threadId_; }
  // Waits until the thread has ended and returns ReturnValue.
  DWORD WaitFor();
  // Waits up to `milliseconds` for the thread to end; true when it has.
  bool WaitFor(DWORD milliseconds) const;

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

  TUniqueHandle terminateEvent_;  // manual reset: releases Synchronize waits for good
  std::shared_ptr<TSyncWindow> syncWindow_;
  TUniqueHandle handle_;
  DWORD threadId_ = 0;
  std::atomic<bool> suspended_{true};
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  DWORD returnValue_ = 0;
};

}  // namespace corvane
