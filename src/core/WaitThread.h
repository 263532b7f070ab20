// The event-log component's worker thread: waits for the system's change signal on the open log
// or for the stop signal, and has the component's OnChange run on the component's own thread.
//
// The thread never holds the component itself. It shares a small link with it: the two event
// handles (which therefore stay valid as long as either side needs them) and the way back to
// the component, which is followed only on the component's thread and is cut when the
// component is destroyed. So a thread that outlives the bounded wait in the component's
// destruction, or is blocked handing over a change at that moment, never reaches it.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

#include "framework/Thread.h"
#include "framework/WinHandle.h"

namespace corvane {

class TVEVivudAre;

class TWaitLink {
 public:
  // Both events auto-reset, not signalled, unnamed.
  explicit TWaitLink(TVEVivudAre* eventLog);
  TWaitLink(const TWaitLink&) = delete;
  TWaitLink& operator=(const TWaitLink&) = delete;

  // Signalled by the system when the open log changes.
  HANDLE ChangeEvent() const { return changeEvent_.get(); }
  // Signalled by the component to end the thread.
  HANDLE StopEvent() const { return stopEvent_.get(); }

  // Component's thread only: the component, or null once it is gone.
  TVEVivudAre* EventLog() const { return eventLog_; }
  void Detach() { eventLog_ = nullptr; }

  // Mirrors whether the component's OnChange is assigned, for the thread to read.
  bool HandlerAssigned() const { return handlerAssigned_.load(); }
  void SetHandlerAssigned(bool value) { handlerAssigned_.store(value); }

 private:
  TUniqueHandle changeEvent_;
  TUniqueHandle stopEvent_;
  TVEVivudAre* eventLog_;
  std::atomic<bool> handlerAssigned_{false};
};

class TWaitThread : public TThread {
 public:
  // Suspended, and freeing itself when it ends. A null link makes the thread end at once.
  explicit TWaitThread(std::shared_ptr<TWaitLink> eventLog);

 protected:
  // Waits for either signal. A change is handed to the component's thread when a handler is
  // assigned and dropped otherwise; the stop signal or Terminate ends the loop. A wait that
  // fails also ends it: the handles are ours and stay valid, so a failing wait cannot come
  // right by trying again, and taking it for a change would report changes that never happened.
  void Execute() override;

 private:
  std::shared_ptr<TWaitLink> eventLog_;
};

}  // namespace corvane
