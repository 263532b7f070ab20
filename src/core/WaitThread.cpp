#include "core/WaitThread.h"

#include "core/EventLog.h"
#include "system/ErrorText.h"

namespace corvane {

namespace {

TUniqueHandle CreateAutoResetEvent() {
  TUniqueHandle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  if (!event) RaiseLastSystemErrorOr("CreateEvent failed");
  return event;
}

}  // namespace

TWaitThread::TWaitThread(TVEVivudAre& eventLog)
    : eventLog_(eventLog), changeEvent_(CreateAutoResetEvent()), stopEvent_(CreateAutoResetEvent()) {}

TWaitThread::~TWaitThread() {
  Stop();
  WaitFor();
}

void TWaitThread::Stop() {
  Terminate();
  SetEvent(stopEvent_.get());
  Resume();
}

void TWaitThread::Execute() {
  const HANDLE signals[2] = {changeEvent_.get(), stopEvent_.get()};
  for (;;) {
    const DWORD result = WaitForMultipleObjects(2, signals, FALSE, INFINITE);
    if (Terminated()) return;
    if (result != WAIT_OBJECT_0) return;  // the stop signal, or a failed wait (no time-out is set)
    if (!handlerAssigned_.load()) continue;
    try {
      Synchronize([this] { eventLog_.DoChange(); });
    } catch (...) {
      // The handler's failure is its own; the next change is still handed over.
    }
  }
}

}  // namespace corvane
