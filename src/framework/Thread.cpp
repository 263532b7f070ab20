#include "framework/Thread.h"

#include <process.h>

#include "framework/SystemError.h"

namespace corvane {

TThreadControl::TThreadControl() : terminateEvent_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
  if (!terminateEvent_) RaiseLastSystemErrorOr("CreateEvent failed");
}

void TThreadControl::Resume() {
  if (suspended_.exchange(false)) ResumeThread(handle_.get());
}

void TThreadControl::Terminate() {
  terminated_.store(true);
  SetEvent(terminateEvent_.get());
}

bool TThreadControl::WaitFor(DWORD milliseconds) const {
  return WaitForSingleObject(handle_.get(), milliseconds) == WAIT_OBJECT_0;
}

TThread::TThread()
    : control_(std::make_shared<TThreadControl>()), syncWindow_(TSyncWindow::Create()) {
  unsigned id = 0;
  uintptr_t thread = _beginthreadex(nullptr, 0, &TThread::ThreadProc, this, CREATE_SUSPENDED, &id);
  if (thread == 0) RaiseLastSystemErrorOr("CreateThread failed");
  control_->handle_.reset(reinterpret_cast<HANDLE>(thread));
  control_->threadId_ = id;
}

TThread::~TThread() {
  if (GetCurrentThreadId() != control_->ThreadId() && !control_->Finished()) {
    // Deleted here, so the thread must not delete itself as well.
    freeOnTerminate_.store(false);
    control_->Terminate();
    control_->Resume();
    control_->WaitFor(INFINITE);
  }
  if (syncWindow_->IsOwnThread()) syncWindow_->Close();
}

DWORD TThread::WaitFor() {
  control_->WaitFor(INFINITE);
  return returnValue_;
}

bool TThread::Synchronize(const std::function<void()>& method) {
  if (syncWindow_->IsOwnThread()) {
    method();
    return true;
  }
  if (Terminated()) return false;
  auto request = std::make_shared<TSyncRequest>(method);
  if (!syncWindow_->Post(request)) return false;
  HANDLE waits[2] = {request->Done(), control_->terminateEvent_.get()};
  DWORD result = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
  if (result != WAIT_OBJECT_0) {
    // Terminated (or the wait failed): take the request back. One that has already begun runs to
    // its end on the creating thread by itself; the worker does not wait for it.
    request->Withdraw();
    return false;
  }
  if (request->State() != TSyncRequest::TState::Finished) return false;
  if (std::exception_ptr error = request->Error()) std::rethrow_exception(error);
  return true;
}

unsigned __stdcall TThread::ThreadProc(void* arg) noexcept {
  auto* self = static_cast<TThread*>(arg);
  // Kept past the object's end so that the finished mark lands on live memory.
  std::shared_ptr<TThreadControl> control = self->control_;
  if (!control->Terminated()) {
    try {
      self->Execute();
    } catch (...) {
      // A thread has nobody to report to; what Execute did not handle ends it quietly.
    }
  }
  const DWORD result = self->returnValue_;
  if (self->FreeOnTerminate()) {
    delete self;
  }
  control->finished_.store(true);
  return result;
}

}  // namespace corvane
