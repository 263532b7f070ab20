#include "framework/Thread.h"

#include <process.h>

#include "system/ErrorText.h"

namespace corvane {

namespace {

[[noreturn]] void RaiseFailure(const char* what) {
  RaiseLastSystemError();
  RaiseSystemError(std::string(what) + " failed");
}

}  // namespace

TThread::TThread() : terminateEvent_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
  if (!terminateEvent_) RaiseFailure("CreateEvent");
  syncWindow_ = TSyncWindow::Create();
  unsigned id = 0;
  uintptr_t thread = _beginthreadex(nullptr, 0, &TThread::ThreadProc, this, CREATE_SUSPENDED, &id);
  if (thread == 0) RaiseFailure("CreateThread");
  handle_.reset(reinterpret_cast<HANDLE>(thread));
  threadId_ = id;
}

TThread::~TThread() {
  if (GetCurrentThreadId() != threadId_ && !finished_.load()) {
    // Freed here, so the thread must not free itself as well.
    freeOnTerminate_.store(false);
    Terminate();
    Resume();
    WaitForSingleObject(handle_.get(), INFINITE);
  }
  if (syncWindow_ && syncWindow_->IsOwnThread()) syncWindow_->Close();
}

void TThread::Resume() {
  if (suspended_.exchange(false)) ResumeThread(handle_.get());
}

void TThread::Terminate() {
  terminated_.store(true);
  SetEvent(terminateEvent_.get());
}

TUniqueHandle TThread::DuplicateHandle() const {
  HANDLE copy = nullptr;
  if (!::DuplicateHandle(GetCurrentProcess(), handle_.get(), GetCurrentProcess(), &copy, 0,
                         FALSE, DUPLICATE_SAME_ACCESS)) {
    RaiseFailure("DuplicateHandle");
  }
  return TUniqueHandle(copy);
}

DWORD TThread::WaitFor() {
  WaitForSingleObject(handle_.get(), INFINITE);
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
  DWORD result = self->returnValue_;
  bool freeSelf = self->FreeOnTerminate();
  self->finished_.store(true);
  if (freeSelf) delete self;
  return result;
}

}  // namespace corvane
