#include "framework/control/Connections.h"

#include <algorithm>
#include <utility>
#include "framework/OleSysError.h"
#include "framework/com/Enumerator.h"

namespace corvane {

TConnectionList::TConnectionList(REFIID iid, size_t limit, std::function<void(IUnknown*)> changed)
    : iid_(iid), limit_(limit), changed_(std::move(changed)) {}

DWORD TConnectionList::Advise(IUnknown* sink) {
  if (sink == nullptr) throw EOleSysError("No sink to connect", static_cast<int32_t>(E_POINTER));
  if (limit_ != 0 && connections_.size() >= limit_) {
    throw EOleSysError("No further sink can be connected",
                       static_cast<int32_t>(CONNECT_E_ADVISELIMIT));
  }
  ComPtr<IUnknown> typed;
  if (FAILED(sink->QueryInterface(iid_, typed.put_void())) || !typed) {
    throw EOleSysError("The sink does not implement the outgoing interface",
                       static_cast<int32_t>(CONNECT_E_CANNOTCONNECT));
  }
  const DWORD cookie = nextCookie_++;
  IUnknown* raw = typed.get();
  connections_.push_back({cookie, std::move(typed)});
  if (changed_) changed_(raw);
  return cookie;
}

void TConnectionList::Unadvise(DWORD cookie) {
  auto found = std::find_if(connections_.begin(), connections_.end(),
                            [cookie](const TConnection& c) { return c.cookie == cookie; });
  if (found == connections_.end()) {
    throw EOleSysError("No connection has this cookie", static_cast<int32_t>(CONNECT_E_NOCONNECTION));
  }
  // The sink is released after the list is consistent again: its Release may call back in.
  ComPtr<IUnknown> leaving = std::move(found->sink);
  connections_.erase(found);
  if (changed_) changed_(nullptr);
}

std::vector<ComPtr<IUnknown>> TConnectionList::Sinks() const {
  std::vector<ComPtr<IUnknown>> sinks;
  for (const TConnection& c : connections_) sinks.push_back(ComPtr<IUnknown>::Copy(c.sink.get()));
  return sinks;
}

std::vector<CONNECTDATA> TConnectionList::Snapshot() const {
  std::vector<CONNECTDATA> data;
  for (const TConnection& c : connections_) data.push_back({c.sink.get(), c.cookie});
  return data;
}

namespace {

class TConnectionPoint final : public ComObject<TConnectionPoint, IConnectionPoint> {
 public:
  TConnectionPoint(IConnectionPointContainer* container, TConnectionList& list)
      : container_(ComPtr<IConnectionPointContainer>::Copy(container)), list_(list) {}

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) noexcept override {
    if (iid == nullptr) return E_POINTER;
    *iid = list_.Iid();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) noexcept override {
    return Boundary<IConnectionPoint>([&] { container_.copy_to(out); }, out);
  }
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) noexcept override {
    return Boundary<IConnectionPoint>([&] { *cookie = list_.Advise(sink); }, cookie);
  }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) noexcept override {
    return Boundary<IConnectionPoint>([&] { list_.Unadvise(cookie); });
  }
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) noexcept override {
    return Boundary<IConnectionPoint>(
        [&] { MakeEnumerator<IEnumConnections>(list_.Snapshot()).copy_to(out); }, out);
  }

 private:
  // Keeps the control, and with it the list, alive.
  ComPtr<IConnectionPointContainer> container_;
  TConnectionList& list_;
};

}  // namespace

ComPtr<IConnectionPoint> MakeConnectionPoint(IConnectionPointContainer* container,
                                             TConnectionList& list) {
  ComPtr<IConnectionPoint> point;
  point.attach(Make<TConnectionPoint>(container, list).detach());
  return point;
}

}  // namespace corvane
