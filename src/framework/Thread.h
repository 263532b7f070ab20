// The framework's worker thread: created suspended, started with Resume, asked to stop with
// Terminate, optionally freeing itself when Execute returns, and able to have a method run on
// the thread that created it (Synchronize).
//
// Synchronize goes through a message-only window made on the creating thread, so that thread
// must retrieve messages for synchronized methods to run. While it does not, the worker waits;
// Terminate releases such a wait (the method then does not run, unless it had already begun).
//
// A thread that frees itself may be gone the moment it could end, so owners do not keep the
// thread object: they keep its control (Control()), which the thread shares and which stays
// valid, with the thread's handle, for as long as anyone holds it.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>

#include "framework/SyncWindow.h"
#include "framework/WinHandle.h"

namespace corvane {

class TThreadControl {
 public:
  TThreadControl();
  TThreadControl(const TThreadControl&) = delete;
  TThreadControl& operator=(const TThreadControl&) = delete;

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
  // Waits up to `milliseconds` for the thread to end; true when it has.
  bool WaitFor(DWORD milliseconds) const;

 private:
  friend class TThread;

  TUniqueHandle handle_;
  DWORD threadId_ = 0;
  TUniqueHandle terminateEvent_;  // manual reset: releases Synchronize waits for good
  std::atomic<bool> suspended_{true};
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
};

class TThread {
 public:
  // Always created suspended; the creating thread becomes the one Synchronize runs methods on.
  TThread();
  // For a thread that does not free itself: if it is still running it is terminated, resumed if
  // suspended, and waited for. A FreeOnTerminate thread is deleted here only if it never ran.
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  void Resume() { control_->Resume(); }
  bool Suspended() const { return control_->Suspended(); }
  void Terminate() { control_->Terminate(); }
  bool Terminated() const { return control_->Terminated(); }
  bool Finished() const { return control_->Finished(); }

  // Read by the thread when Execute returns: then the thread deletes its object itself.
  bool FreeOnTerminate() const { return freeOnTerminate_.load(); }
  void SetFreeOnTerminate(bool value) { freeOnTerminate_.store(value); }

  HANDLE Handle() const { return control_->Handle(); }
  DWORD ThreadId() const { return control_->ThreadId(); }
  // Waits until the thread has ended and returns ReturnValue. Not for FreeOnTerminate threads.
  DWORD WaitFor();

  const std::shared_ptr<TThreadControl>& Control() const { return control_; }
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

  std::shared_ptr<TThreadControl> control_;
  std::shared_ptr<TSyncWindow> syncWindow_;
  std::atomic<bool> freeOnTerminate_{false};
  DWORD returnValue_ = 0;
};

}  // namespace corvane
