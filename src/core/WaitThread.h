// How a change travels from the service to OnChange:
//   1. opening a live log registers this thread's change event with the service
//      (NotifyChangeEventLog), which signals the event whenever the log changes;
//   2. the wait thread, blocked on the change and stop events, wakes; with no handler assigned
//      it drops the change;
//   3. otherwise it hands the change to the component's thread (Synchronize: a request queued on
//      the component's synchronizing window, whose posted message that thread retrieves);
//   4. there the component's DoChange calls OnChange with the component as sender, and the
//      control raises its OnChange event to the container's sinks.
//
// The component owns the thread, which is created suspended and runs once the component has
// read its saved state. Stop ends it for good: Terminate releases a Synchronize that waits for
// the component's thread (also when that thread is inside the handler and frees the component),
// and the stop event releases the wait for a change. The destructor stops the thread and waits
// for it, so the thread never outlives the component and holds it directly.
#pragma once

#include <windows.h>

#include <atomic>

#include "framework/Thread.h"
#include "framework/WinHandle.h"

namespace corvane {

class TVEVivudAre;

class TWaitThread : public TThread {
 public:
  explicit TWaitThread(TVEVivudAre& eventLog);
  // Stops the thread and waits for it to end.
  ~TWaitThread() override;

  // Signalled by the service when the open log changes; auto-reset.
  HANDLE ChangeEvent() const { return changeEvent_.get(); }
  // Mirrors whether the component's OnChange is assigned, for the thread to read.
  void SetHandlerAssigned(bool value) { handlerAssigned_.store(value); }
  // Ends the thread for good, started or not; returns without waiting.
  void Stop();

 protected:
  // Waits for either signal. A change is handed to the component's thread when a handler is
  // assigned and dropped otherwise; the stop signal or Terminate ends the loop. A wait that
  // fails also ends it: the handles are ours and stay valid, so a failing wait cannot come
  // right by trying again, and taking it for a change would report changes that never happened.
  void Execute() override;

 private:
  TVEVivudAre& eventLog_;
  TUniqueHandle changeEvent_;
  TUniqueHandle stopEvent_;
  std::atomic<bool> handlerAssigned_{false};
};

}  // namespace corvane
