// Stands between a page and the object it edits, passes every call on and notes what the page
// asked: every member call by name and every property write as "Name=value". Objects the calls
// hand out are watched the same way, into the same log.
#pragma once

#include <oaidl.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/com/ComObject.h"
#include "framework/com/ComPtr.h"

namespace corvane::pages::test {

struct TCallLog {
  std::vector<std::string> writes;   // "Name=value"; Booleans as true/false
  std::map<std::string, int> calls;  // calls of each member, by the name the page used
};

class TRecordingDispatch final : public ComObject<TRecordingDispatch, IDispatch> {
 public:
  TRecordingDispatch(IDispatch& inner, std::shared_ptr<TCallLog> log)
      : inner_(ComPtr<IDispatch>::Copy(&inner)), log_(std::move(log)) {}

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale,
                                        ITypeInfo** info) noexcept override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) noexcept override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                   UINT* badArgument) noexcept override;

 private:
  ComPtr<IDispatch> inner_;
  std::shared_ptr<TCallLog> log_;
  std::map<DISPID, std::string> names_;
};

}  // namespace corvane::pages::test
