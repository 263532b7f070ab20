#include "core/WaitThread.h"

#include <utility>

#include "core/EventLog.h"
#include "system/ErrorText.h"

namespace corvane {

namespace {

TUniqueHandle CreateAutoResetEvent() {
  TUniqueHandle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  if (!event) {
    RaiseLastSystemError();
    RaiseSystemError("CreateEvent failed");
  }
  return event;
}

}  // namespace

TWaitLink::TWaitLink(TVEVivudAre* eventLog)
    : changeEvent_(CreateAutoResetEvent()), stopEvent_(CreateAutoResetEvent()),
      eventLog_(eventLog) {}

TWaitThread::TWaitThread(std::shared_ptr<TWaitLink> eventLog) : eventLog_(std::move(eventLog)) {
  SetFreeOnTerminate(true);
}

void TWaitThread::Execute() {
  if (!eventLog_) return;
  const std::shared_ptr<TWaitLink> link = eventLog_;
  const HANDLE signals[2] = {link->ChangeEvent(), link->StopEvent()};
  for (;;) {
    const DWORD result = WaitForMultipleObjects(2, signals, FALSE, INFINITE);
    if (Terminated()) return;
    if (result == WAIT_TIMEOUT) continue;
    if (result != WAIT_OBJECT_0) return;  // the stop signal, or a failed wait
    if (!link->HandlerAssigned()) continue;
    try {
      Synchronize([link] {
        if (TVEVivudAre* eventLog = link->EventLog()) eventLog->DoChange();
      });
    } catch (...) {
      // The handler's failure is its own; the next change is still handed over.
    }
  }
}

}  // namespace corvane
