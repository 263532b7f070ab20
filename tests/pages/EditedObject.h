// A stand-in for the control a page edits, reached only late-bound as the pages reach the real
// one: GetServers (a list with Count and Item), MachineName and Comment, and the property-change
// connections a container makes.
#pragma once

#include <ocidl.h>

#include <string>
#include <vector>

#include "framework/com/ComObject.h"

namespace corvane::pages::test {

class TEditedObject final
    : public ComObject<TEditedObject, IDispatch, IConnectionPointContainer, IConnectionPoint> {
 public:
  std::vector<std::string> servers;
  std::string machineName;
  std::string comment;
  // When set, writing Comment fails with this text.
  std::string commentWriteError;
  // The names of the properties written, in order.
  std::vector<std::string> writes;

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) noexcept override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception,
                                   UINT* badArgument) noexcept override;

  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) noexcept override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid,
                                                IConnectionPoint** point) noexcept override;

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) noexcept override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(
      IConnectionPointContainer** container) noexcept override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) noexcept override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) noexcept override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) noexcept override;

 private:
  std::vector<ComPtr<IUnknown>> sinks_;
};

// Records every OnChanged it is told.
class TNotifySink final : public ComObject<TNotifySink, IPropertyNotifySink> {
 public:
  std::vector<DISPID> changes;
  HRESULT STDMETHODCALLTYPE OnChanged(DISPID member) noexcept override {
    changes.push_back(member);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) noexcept override { return S_OK; }
};

}  // namespace corvane::pages::test
