#include "framework/Thread.h"

#include <process.h>

#include "framework/SystemError.h"

namespace corvane {

TThread::TThread()
    : terminateEvent_(CreateEventA(nullptr, TRUE, FALSE, nullptr)), syncWindow_(TSyncWindow::Create()) {
  if (!terminateEvent_) RaiseLastSystemErrorOr("CreateEvent failed");
  unsigned id = 0;
  uintptr_t thread = _beginthreadex(nullptr, 0, &TThread::ThreadProc, this, CREATE_SUSPENDED, &id);
  if (thread == 0) RaiseLastSystemErrorOr("CreateThread failed");
  handle_.reset(reinterpret_cast<HANDLE>(thread));
  threadId_ = id;
}

TThread::~TThread() {
  Terminate();
  Resume();
  WaitForSingleObject(handle_.get(), INFINITE);
  if (syncWindow_->IsOwnThread()) syncWindow_->Close();
}

void TThread::Resume() {
  if (suspended_.exchange(false)) ResumeThread(handle_.get());
}

void TThread::Terminate() {
  terminated_.store(true);
  SetEvent(terminateEvent_.get());
}

DWORD TThread::WaitFor() {
  WaitForSingleObject(handle_.get(), INFINITE);
  return returnValue_;
}

bool TThread::WaitFor(DWORD milliseconds) const {
  return WaitForSingleObject(handle_.get(), milliseconds) == WAIT_OBJECT_0;
}

bool TThread::Synchronize(const std::function<void()>& method) {
  if (syncWindow_->IsOwnThread()) {
    method();
    return true;
  }
  if (Terminated()) return false;
  auto request = std::make_shared<TSyncRequest>(method);
  if (!syncWindow_->Post(request)) return false;
  HANDLE waits[2] = {request->Done(), terminateEvent_.get()};
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
  if (!self->Terminated()) {
    try {
      self->Execute();
    } catch (...) {
      // A thread has nobody to report to; what Execute did not handle ends it quietly.
    }
  }
  self->finished_.store(true);
  return self->returnValue_;
}

}  // namespace corvane
