#include "EditedObject.h"

#include <cwchar>

#include "framework/com/AnsiConversion.h"

namespace corvane::pages::test {

namespace {

constexpr DISPID kGetServers = 1, kMachineName = 2, kComment = 3, kCount = 4, kItem = 5;

const wchar_t* const kNames[] = {L"GetServers", L"MachineName", L"Comment", L"Count", L"Item"};

HRESULT ReturnString(VARIANT* result, const std::string& text) {
  if (result == nullptr) return S_OK;
  result->vt = VT_BSTR;
  result->bstrVal = AnsiToBstr(text).release();
  return S_OK;
}

// The servers' list: Count and Item, by name only.
class TServerList final : public ComObject<TServerList, IDispatch> {
 public:
  explicit TServerList(std::vector<std::string> names) : names_(std::move(names)) {}

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID,
                                          DISPID* ids) noexcept override {
    *ids = _wcsicmp(names[0], L"Count") == 0 ? kCount
           : _wcsicmp(names[0], L"Item") == 0 ? kItem
                                               : DISPID_UNKNOWN;
    return *ids == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO*, UINT*) noexcept override {
    if (member == kCount) {
      result->vt = VT_I4;
      result->lVal = static_cast<LONG>(names_.size());
      return S_OK;
    }
    if (member != kItem || parameters->cArgs != 1 || parameters->rgvarg[0].vt != VT_I4) {
      return DISP_E_MEMBERNOTFOUND;
    }
    return ReturnString(result, names_.at(static_cast<size_t>(parameters->rgvarg[0].lVal)));
  }

 private:
  std::vector<std::string> names_;
};

class TConnections final : public ComObject<TConnections, IEnumConnections> {
 public:
  explicit TConnections(const std::vector<ComPtr<IUnknown>>& sinks) {
    for (const auto& sink : sinks) sinks_.push_back(ComPtr<IUnknown>::Copy(sink.get()));
  }
  HRESULT STDMETHODCALLTYPE Next(ULONG count, CONNECTDATA* data, ULONG* fetched) noexcept override {
    ULONG given = 0;
    for (; given < count && next_ < sinks_.size(); ++given, ++next_) {
      sinks_[next_].copy_to(&data[given].pUnk);
      data[given].dwCookie = static_cast<DWORD>(next_ + 1);
    }
    if (fetched != nullptr) *fetched = given;
    return given == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reset() noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Clone(IEnumConnections**) noexcept override { return E_NOTIMPL; }

 private:
  std::vector<ComPtr<IUnknown>> sinks_;
  size_t next_ = 0;
};

}  // namespace

HRESULT TEditedObject::GetTypeInfoCount(UINT* count) noexcept {
  *count = 0;
  return S_OK;
}

HRESULT TEditedObject::GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept { return E_NOTIMPL; }

HRESULT TEditedObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) noexcept {
  for (DISPID id = kGetServers; id <= kComment; ++id) {
    if (_wcsicmp(names[0], kNames[id - 1]) == 0) {
      *ids = id;
      return S_OK;
    }
  }
  *ids = DISPID_UNKNOWN;
  return DISP_E_UNKNOWNNAME;
}

HRESULT TEditedObject::Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                              VARIANT* result, EXCEPINFO* exception, UINT*) noexcept {
  const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
  if (member == kGetServers) {
    if (parameters->cArgs != 1 || parameters->rgvarg[0].vt != VT_BSTR) return DISP_E_BADPARAMCOUNT;
    result->vt = VT_DISPATCH;
    result->pdispVal = Make<TServerList>(servers).detach();
    return S_OK;
  }
  std::string& value = member == kMachineName ? machineName : comment;
  if (!put) return ReturnString(result, value);
  if (parameters->cArgs != 1 || parameters->rgvarg[0].vt != VT_BSTR) return DISP_E_TYPEMISMATCH;
  writes.push_back(WideToAnsiLossy(kNames[member - 1]));
  if (member == kComment && !commentWriteError.empty()) {
    *exception = EXCEPINFO{};
    exception->scode = E_ACCESSDENIED;
    exception->bstrDescription = AnsiToBstr(commentWriteError).release();
    return DISP_E_EXCEPTION;
  }
  value = BstrToAnsiLossy(parameters->rgvarg[0].bstrVal);
  return S_OK;
}

HRESULT TEditedObject::EnumConnectionPoints(IEnumConnectionPoints**) noexcept { return E_NOTIMPL; }

HRESULT TEditedObject::FindConnectionPoint(REFIID iid, IConnectionPoint** point) noexcept {
  *point = nullptr;
  if (iid != IID_IPropertyNotifySink) return E_NOINTERFACE;
  *point = this;
  AddRef();
  return S_OK;
}

HRESULT TEditedObject::GetConnectionInterface(IID* iid) noexcept {
  *iid = IID_IPropertyNotifySink;
  return S_OK;
}

HRESULT TEditedObject::GetConnectionPointContainer(IConnectionPointContainer** container) noexcept {
  *container = this;
  AddRef();
  return S_OK;
}

HRESULT TEditedObject::Advise(IUnknown* sink, DWORD* cookie) noexcept {
  sinks_.push_back(ComPtr<IUnknown>::Copy(sink));
  *cookie = static_cast<DWORD>(sinks_.size());
  return S_OK;
}

HRESULT TEditedObject::Unadvise(DWORD) noexcept { return E_NOTIMPL; }

HRESULT TEditedObject::EnumConnections(IEnumConnections** connections) noexcept {
  *connections = Make<TConnections>(sinks_).detach();
  return S_OK;
}

}  // namespace corvane::pages::test
