// The automation faces that every control of the library hands to scripts: string lists
// (TStringListAdapter, IStringList) and credentials (TLogonAsAdapter, ILogonAs). Both take their
// type information from the registered "VuvazeRUridazorar.tlb"; making one while it is not
// registered raises with the lookup's HRESULT, which the member that asked for it returns.
//
// Adapters run on the thread of the control that made them and take no locks.
#pragma once

#include <windows.h>

#include <memory>

#include "VuvazeRUridazorar.h"
#include "framework/AdapterSlot.h"
#include "framework/StringList.h"
#include "framework/com/ComObject.h"
#include "framework/com/DispatchImpl.h"
#include "system/NTCommon.h"

namespace corvane {

// The wrapper kept in `slot` for `wrapped`: made over it on the first request, the same object
// on every later one. `Adapter` is a TLinkedWrapper of the wrapped type.
template <typename Adapter, typename Wrapped>
ComPtr<Adapter> KeptAdapter(TAdapterSlot& slot, Wrapped& wrapped) {
  if (auto* kept = dynamic_cast<Adapter*>(slot.Get())) return ComPtr<Adapter>::Copy(kept);
  ComPtr<Adapter> made = Make<Adapter>(wrapped);
  slot.Set(made.get());
  return made;
}

// An object that lends a string list it keeps to string-list adapters (a record its Strings).
// Each adapter holds the lender's COM identity and asks it for the list on every call, so that it
// learns when the list's owner is gone.
class IStringListLender {
 public:
  // The lent list; raises once its owner is gone.
  virtual TStringList& LentList() = 0;
  // The lender's COM identity, without a reference of its own.
  virtual IUnknown* LenderIdentity() noexcept = 0;

 protected:
  ~IStringListLender() = default;
};

class TStringListAdapter final
    : public ComObject<TStringListAdapter, DispatchImpl<IStringList>, ISupportErrorInfo>,
      public ICollection {
 public:
  // A script may hold a list after its control is gone: the module must stay loaded.
  static constexpr bool kCountsInModule = true;

  // Over a list made for one call, which the adapter owns and frees with itself. A null list
  // makes an adapter without a list: it reads as empty and ignores changes (Add gives -1).
  explicit TStringListAdapter(std::unique_ptr<TStringList> list);
  // Over the list that `lender` keeps; changes made here change the lender's list.
  explicit TStringListAdapter(IStringListLender& lender);

  HRESULT STDMETHODCALLTYPE get_Text(BSTR* Value) noexcept override;
  HRESULT STDMETHODCALLTYPE put_Text(BSTR text) noexcept override;
  HRESULT STDMETHODCALLTYPE IndexOf(BSTR S, LONG* Value) noexcept override;
  HRESULT STDMETHODCALLTYPE get_Count(LONG* Value) noexcept override;
  HRESULT STDMETHODCALLTYPE get_Item(LONG Index, VARIANT* Value) noexcept override;
  HRESULT STDMETHODCALLTYPE put_Item(LONG Index, VARIANT value) noexcept override;
  HRESULT STDMETHODCALLTYPE Clear() noexcept override;
  HRESULT STDMETHODCALLTYPE Add(VARIANT value, LONG* Value) noexcept override;
  HRESULT STDMETHODCALLTYPE Delete(LONG Index) noexcept override;
  // For Each: the entries as strings, as they are now.
  HRESULT NewEnum(IEnumVARIANT** out) noexcept override;

 private:
  // The list, or null for an adapter without one; raises when a lent list's owner is gone.
  TStringList* List();

  std::unique_ptr<TStringList> owned_;
  IStringListLender* lender_ = nullptr;
  ComPtr<IUnknown> lenderHold_;  // keeps lender_ alive
};

class TLogonAsAdapter final : public ComObject<TLogonAsAdapter, DispatchImpl<ILogonAs>, ISupportErrorInfo>,
                              public TLinkedWrapper<TLogonAsAdapter, TLogonAs> {
 public:
  static constexpr bool kCountsInModule = true;
  static constexpr const char* kWrappedGoneMessage = "The credentials are not available any more.";

  explicit TLogonAsAdapter(TLogonAs& credentials);

  HRESULT STDMETHODCALLTYPE get_UserName(BSTR* Value) noexcept override;
  // Only stored: an existing connection is not renewed.
  HRESULT STDMETHODCALLTYPE put_UserName(BSTR value) noexcept override;
  // In clear, as entered.
  HRESULT STDMETHODCALLTYPE get_Password(BSTR* Value) noexcept override;
  HRESULT STDMETHODCALLTYPE put_Password(BSTR value) noexcept override;
};

// A new adapter over a list made for one call; the list is the adapter's from now on.
ComPtr<IStringList> StringListAdapter(std::unique_ptr<TStringList> list);
// The credentials' adapter: made and kept by `credentials` on the first request, the same
// object afterwards.
ComPtr<ILogonAs> LogonAsAdapter(TLogonAs& credentials);

}  // namespace corvane
