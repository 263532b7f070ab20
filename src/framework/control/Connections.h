// The sinks connected to one outgoing interface of a control, and the connection point through
// which a container reaches them. The list lives in the control; a connection point is a small
// object made on request that holds the control alive while a container keeps it, so the list
// it works on cannot go away under it (and the control holds no reference back: no cycle).
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <functional>
#include <vector>
#include "framework/com/ComObject.h"
#include "framework/com/ComPtr.h"

namespace corvane {

class TConnectionList {
 public:
  // `limit` sinks at most (0: any number). `changed` learns each connected sink and, with
  // null, each disconnection.
  TConnectionList(REFIID iid, size_t limit, std::function<void(IUnknown*)> changed = {});

  const IID& Iid() const { return iid_; }
  // The sink's `Iid()` interface is asked for and kept; returns the cookie. A sink lacking it
  // is refused with CONNECT_E_CANNOTCONNECT, one too many with CONNECT_E_ADVISELIMIT.
  DWORD Advise(IUnknown* sink);
  // CONNECT_E_NOCONNECTION for a cookie not handed out.
  void Unadvise(DWORD cookie);
  // The connected sinks (as the `Iid()` interface), in connection order; a copy, so a sink
  // may disconnect while it is being called.
  std::vector<ComPtr<IUnknown>> Sinks() const;
  size_t Count() const { return connections_.size(); }
  void Clear() { connections_.clear(); }
  // The connections as the system's structure, for an enumerator.
  std::vector<CONNECTDATA> Snapshot() const;

 private:
  struct TConnection {
    DWORD cookie;
    ComPtr<IUnknown> sink;
  };
  IID iid_;
  size_t limit_;
  std::function<void(IUnknown*)> changed_;
  std::vector<TConnection> connections_;
  DWORD nextCookie_ = 1;
};

// A connection point over `list`, which `container` owns.
ComPtr<IConnectionPoint> MakeConnectionPoint(IConnectionPointContainer* container,
                                             TConnectionList& list);

}  // namespace corvane
