// Stand-ins for single entries of the event-log table, installed for a scope: each counts its
// calls and either forwards them to the bound service or answers with a chosen failure. Only
// the system boundary is replaced; the component under test is the real one.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "system/NT_vs_95.h"
#include "system/TableEntry.h"

namespace corvane::component_test {

// Fails NotifyChangeEventLog with `error` (when not 0) and counts it and CloseEventLog.
class NotifyStandIn {
 public:
  explicit NotifyStandIn(DWORD error = 0)
      : realNotify_(EventLogApi.NotifyChangeEventLog.Get()),
        realClose_(EventLogApi.CloseEventLog.Get()),
        notify_(EventLogApi.NotifyChangeEventLog, &Notify),
        close_(EventLogApi.CloseEventLog, &Close) {
    active_ = this;
    error_ = error;
  }
  ~NotifyStandIn() { active_ = nullptr; }
  NotifyStandIn(const NotifyStandIn&) = delete;
  NotifyStandIn& operator=(const NotifyStandIn&) = delete;

  int notifyCalls = 0;
  int closeCalls = 0;

 private:
  static BOOL WINAPI Notify(HANDLE log, HANDLE event) {
    ++active_->notifyCalls;
    if (active_->error_ != 0) {
      SetLastError(active_->error_);
      return FALSE;
    }
    return active_->realNotify_(log, event);
  }
  static BOOL WINAPI Close(HANDLE log) {
    ++active_->closeCalls;
    return active_->realClose_(log);
  }

  static inline NotifyStandIn* active_ = nullptr;
  DWORD error_ = 0;
  decltype(&::NotifyChangeEventLog) realNotify_;
  decltype(&::CloseEventLog) realClose_;
  ScopedEntry<decltype(&::NotifyChangeEventLog)> notify_;
  ScopedEntry<decltype(&::CloseEventLog)> close_;
};

// Makes one remote machine name reach the local logs, the way the simulated network answers:
// OpenEventLogA with `remote` as server opens the local log of that name. Records the servers
// asked for.
class RemoteMachineStandIn {
 public:
  explicit RemoteMachineStandIn(std::string remote)
      : remote_(std::move(remote)), real_(EventLogApi.OpenEventLogA.Get()),
        scope_(EventLogApi.OpenEventLogA, &Open) {
    active_ = this;
  }
  ~RemoteMachineStandIn() { active_ = nullptr; }
  RemoteMachineStandIn(const RemoteMachineStandIn&) = delete;
  RemoteMachineStandIn& operator=(const RemoteMachineStandIn&) = delete;

  std::vector<std::string> servers;

 private:
  static HANDLE WINAPI Open(LPCSTR server, LPCSTR log) {
    active_->servers.push_back(server ? server : "<local>");
    if (server != nullptr && active_->remote_ == server) return active_->real_(nullptr, log);
    return active_->real_(server, log);
  }

  static inline RemoteMachineStandIn* active_ = nullptr;
  std::string remote_;
  decltype(&::OpenEventLogA) real_;
  ScopedEntry<decltype(&::OpenEventLogA)> scope_;
};

}  // namespace corvane::component_test
