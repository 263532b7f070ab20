// TNTPersistentX: the control base of the library. Every control wraps one component derived
// from TNTPersistent and answers the members of INTPersistentX by forwarding them to it. The
// base also answers the component's design-mode question from the container's ambient user
// mode, offers the network's servers as predefined values of MachineName, and lets into a
// property bag only what the component publishes as stored.
#pragma once
#include <windows.h>
#include <memory>
#include <optional>
#include <string>
#include "VuvazeRUridazorar.h"
#include "automation/NTpersistentXAdapters.h"
#include "framework/StringList.h"
#include "framework/com/AnsiConversion.h"
#include "framework/com/ComBoundary.h"
#include "framework/com/DispatchImpl.h"
#include "framework/control/ControlBase.h"
#include "framework/control/ControlMember.h"
#include "system/NTCommon.h"

namespace corvane {

constexpr DISPID kMachineNameDispid = 10;
// The container's ambient user mode: false while its user designs a form.
constexpr DISPID kAmbientUserMode = -709;

class TNTPersistentX : public TControlBase, public IOwnerControl {
 public:
  // True when the container's ambient user mode reads false; false without a client site, a
  // site without IDispatch, or a failing read.
  bool IsDesignMode() override;

  // Whether the component's class name is `name`, ASCII letters compared without case.
  bool HasClassName(const std::string& name) const;

  bool PredefinedStrings(DISPID id, std::vector<TPredefinedString>& strings) override;
  bool PredefinedValue(DISPID id, DWORD cookie, UniqueVariant& value) override;
  void Initialize() override;
  bool WritesPropertyToBag(const TBagProperty& property) override;

  // The wrapped component, as the component it is.
  TNTPersistent& Component() const { return persistent_; }

 protected:
  TNTPersistentX(std::unique_ptr<TNTPersistent> component, REFIID eventsIid);
  ~TNTPersistentX() override;

  // `list` as a browser's strings, each entry's index its cookie.
  static void OfferStrings(const TStringList& list, std::vector<TPredefinedString>& strings);
  // The entry of `list` at `cookie`, as a string variant.
  static void ValueAt(const TStringList& list, DWORD cookie, UniqueVariant& value);

 private:
  TNTPersistentX(TNTPersistent& component, std::unique_ptr<TNTPersistent>&& owned, REFIID eventsIid);

  TNTPersistent& persistent_;
  std::unique_ptr<TStringList> FServerList;
};

// The members of INTPersistentX, for the dual interface `Dual` (INTPersistentX or one derived
// from it) of control class `Derived`.
template <class Derived, class Dual>
class TNTPersistentXDispatch : public TControlPiece<Derived, Dual, DispatchImpl<Dual>> {
 protected:
  using Piece = TControlPiece<Derived, Dual, DispatchImpl<Dual>>;
  using Piece::Member;
  using Piece::Self;

 public:
  using AnsweredInterfaces = InterfaceList<Dual, INTPersistentX, IDispatch>;

  HRESULT STDMETHODCALLTYPE Repaint() noexcept override {
    return Member([&] { Self().Component().Repaint(); });
  }
  HRESULT STDMETHODCALLTYPE Placeholder() noexcept override { return Member([] {}); }
  HRESULT STDMETHODCALLTYPE ClassNameIs(BSTR name, VARIANT_BOOL* value) noexcept override {
    return Member(
        [&] {
          // A name the code page cannot hold is no class's.
          const std::optional<std::string> text = ExactAnsi(BstrText(name));
          *value = text && Self().HasClassName(*text) ? VARIANT_TRUE : VARIANT_FALSE;
        },
        value);
  }
  HRESULT STDMETHODCALLTYPE get_PrimaryDomainController(BSTR* value) noexcept override {
    return Member([&] { *value = AnsiToBstr(Self().Component().PrimaryDomainController()).release(); }, value);
  }
  HRESULT STDMETHODCALLTYPE GetAnyDomainController(BSTR domain, BSTR* value) noexcept override {
    return Member(
        [&] {
          const std::string name = BstrToAnsi(domain, "The Domain argument of GetAnyDomainController");
          *value = AnsiToBstr(Self().Component().GetAnyDomainController(name)).release();
        },
        value);
  }
  HRESULT STDMETHODCALLTYPE GetServers(BSTR server, IStringList** value) noexcept override {
    return Member(
        [&] { StringListAdapter(Self().Component().GetServers(Server(server, "GetServers"))).copy_to(value); },
        value);
  }
  HRESULT STDMETHODCALLTYPE GetLocalGroups(BSTR server, IStringList** value) noexcept override {
    return Member(
        [&] { StringListAdapter(Self().Component().GetLocalGroups(Server(server, "GetLocalGroups"))).copy_to(value); },
        value);
  }
  HRESULT STDMETHODCALLTYPE GetGlobalGroups(BSTR server, IStringList** value) noexcept override {
    return Member(
        [&] { StringListAdapter(Self().Component().GetGlobalGroups(Server(server, "GetGlobalGroups"))).copy_to(value); },
        value);
  }
  HRESULT STDMETHODCALLTYPE GetUsers(BSTR server, LONG filter, IStringList** value) noexcept override {
    return Member(
        [&] {
          auto kinds = FilterToAccountKinds(static_cast<uint32_t>(filter));
          StringListAdapter(Self().Component().GetUsers(Server(server, "GetUsers"), kinds)).copy_to(value);
        },
        value);
  }
  HRESULT STDMETHODCALLTYPE GetAccounts(BSTR server, LONG kinds, IStringList** value) noexcept override {
    return Member(
        [&] {
          auto list = Self().Component().GetAccounts(Server(server, "GetAccounts"), static_cast<uint32_t>(kinds));
          StringListAdapter(std::move(list)).copy_to(value);
        },
        value);
  }
  HRESULT STDMETHODCALLTYPE get_LocalComputerName(BSTR* value) noexcept override {
    return Member([&] { *value = AnsiToBstr(Self().Component().LocalComputerName()).release(); }, value);
  }
  HRESULT STDMETHODCALLTYPE get_MachineName(BSTR* value) noexcept override {
    return Member([&] { *value = AnsiToBstr(Self().Component().GetMachineName()).release(); }, value);
  }
  HRESULT STDMETHODCALLTYPE put_MachineName(BSTR value) noexcept override {
    return Member([&] {
      Self().Component().SetMachineName(BstrToAnsi(value, "MachineName"));
      Self().PropertyChanged(kMachineNameDispid);
    });
  }
  HRESULT STDMETHODCALLTYPE get_LogonAs(ILogonAs** value) noexcept override {
    return Member([&] { LogonAsAdapter(Self().Component().LogonAs()).copy_to(value); }, value);
  }
  // The credentials are changed through the object the read returns, never replaced.
  HRESULT STDMETHODCALLTYPE put_LogonAs(ILogonAs*) noexcept override { return Member([] {}); }
  HRESULT STDMETHODCALLTYPE get_PrimaryDomainName(BSTR* value) noexcept override {
    return Member([&] { *value = AnsiToBstr(Self().Component().PrimaryDomainName()).release(); }, value);
  }

 protected:
  // The server a network query asks, as its refusals name it.
  static std::string Server(BSTR server, const char* member) {
    return BstrToAnsi(server, std::string("The Server argument of ") + member);
  }
};

}  // namespace corvane
