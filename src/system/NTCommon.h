// The common base of the library's components: the target machine with its credentials, the
// connection to that machine's "\IPC$" share, the network queries that scripts reach through
// the control (servers, domain controllers, groups, users, well-known accounts), and the small
// face a container shows for the component, in a window of its own while a container shows it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "framework/AdapterSlot.h"
#include "framework/Component.h"
#include "framework/ParkingWindow.h"
#include "framework/PropertyInfo.h"
#include "framework/StringList.h"
#include "framework/WinHandle.h"
#include "framework/control/ControlledComponent.h"

namespace corvane {

// The machine name as the system functions take it: null for an empty name (the local machine).
// The pointer lives as long as the string is unchanged.
const char* StringOrNull(const std::string& value);

// The account kinds of a user enumeration, one bit each.
using TAccountKinds = uint8_t;
namespace AccountKind {
constexpr TAccountKinds TempDuplicate = 0x01;
constexpr TAccountKinds Normal = 0x02;
constexpr TAccountKinds InterdomainTrust = 0x04;
constexpr TAccountKinds WorkstationTrust = 0x08;
constexpr TAccountKinds ServerTrust = 0x10;
}  // namespace AccountKind

// The system's user-enumeration filter for a set of kinds, and back; filter bits without a kind
// (0x4 and everything from 0x40 up) are dropped.
uint32_t AccountKindsToFilter(TAccountKinds kinds);
TAccountKinds FilterToAccountKinds(uint32_t filter);

// The component's face is always this many pixels wide and high.
constexpr int kFaceSize = 28;

// What GetAccounts lists.
namespace AccountList {
constexpr uint32_t LocalGroups = 0x1;
constexpr uint32_t GlobalGroups = 0x2;
constexpr uint32_t Users = 0x4;
constexpr uint32_t WellKnown = 0x8;
}  // namespace AccountList

// Credentials for the connection to the target machine. Held and streamed in clear, as entered.
class TLogonAs : public TPersistent {
 public:
  TLogonAs() = default;
  ~TLogonAs() override = default;
  TLogonAs(const TLogonAs&) = delete;
  TLogonAs& operator=(const TLogonAs&) = delete;

  const TClassInfo& ClassInfo() const override;
  static const TClassInfo& StaticClassInfo();

  // Both reach the system as C strings: one with a NUL inside is refused and the old one kept.
  const std::string& UserName() const { return userName_; }
  void SetUserName(const std::string& value);
  const std::string& Password() const { return password_; }
  void SetPassword(const std::string& value);

  // The automation wrapper of these credentials: empty until the automation layer first hands
  // them out, then kept; told when the credentials go, so that a script still holding it never
  // reaches them.
  TAdapterSlot& Adapter() { return adapter_; }

 private:
  std::string userName_;
  std::string password_;
  TAdapterSlot adapter_;
};

// What the component asks of the control that hosts it. The control answers from its
// container's ambient properties.
class IOwnerControl {
 public:
  virtual bool IsDesignMode() = 0;

 protected:
  ~IOwnerControl() = default;
};

// Names the account of a SID through the process-wide account name cache. The cache lives in
// the event-log core above this layer: library start installs its lookup here, and finishing
// takes it away; without one well-known accounts are not listed.
using TAccountLookup = bool (*)(const std::string& machineName, const void* sid,
                                std::string& accountName, std::string& domainName);
void SetAccountLookup(TAccountLookup lookup) noexcept;

class TNTPersistent : public TComponent, public IControlledComponent {
 public:
  explicit TNTPersistent(TComponent* owner);
  // Leaves an established connection in place.
  ~TNTPersistent() override;

  const TClassInfo& ClassInfo() const override;
  static const TClassInfo& StaticClassInfo();

  // Published by descendants: MachineName (through Get/SetMachineName) and LogonAs (the owned
  // credentials, streamed by their own properties).
  static TPropInfo MachineNameProperty();
  static TPropInfo LogonAsProperty();

  // Stored unchanged. A different name (exact comparison) cancels the connection made for the
  // old one and connects to the new one; the same name does nothing. A name the system would
  // not read as given (a NUL inside, too long) is refused and the old one kept.
  virtual void SetMachineName(const std::string& value);
  virtual std::string GetMachineName() const;
  // Whether the hosting control's container is in design mode; false without a control.
  virtual bool IsDesignMode() const;
  // Reconciles `target`, which mirrors `oldList`, with `newList`: entries no longer in `newList`
  // are deleted from `target` at their positions, new ones are appended in `newList`'s order.
  virtual void UpdateStrings(const TStringList& oldList, const TStringList& newList,
                             TStringList& target) const;

  TLogonAs& LogonAs() { return *logonAs_; }
  const TLogonAs& LogonAs() const { return *logonAs_; }
  IOwnerControl* OwnerControl() const { return ownerControl_; }
  // Set by the hosting control right after it created the component; not owned.
  void SetOwnerControl(IOwnerControl* control) { ownerControl_ = control; }

  // True when not reading, the trimmed machine name is set and is not this computer's name,
  // and a trimmed user name or password is set.
  bool NeedsConnection() const;
  // Best effort and silent: failures are ignored. A machine name too long for the 256-byte
  // remote path (with "\IPC$") is refused: no call is made rather than a cut name used.
  void ConnectIPC();
  void DisconnectIPC();

  std::string LocalComputerName() const;
  std::string PrimaryDomainController() const;
  std::string GetAnyDomainController(const std::string& domain) const;
  std::string PrimaryDomainName() const;

  // The listings return new lists owned by the caller, in the order the system delivered the
  // names. `server` is a machine name as for MachineName, empty for the local machine; one the
  // system would not read as given is refused, like a domain name. An enumeration error is
  // raised in design mode; otherwise the names listed so far are returned.
  std::unique_ptr<TStringList> GetServerList(const std::string& server, uint32_t serverType) const;
  // Every server, each with two leading backslashes.
  std::unique_ptr<TStringList> GetServers(const std::string& server) const;
  std::unique_ptr<TStringList> GetLocalGroups(const std::string& server) const;
  std::unique_ptr<TStringList> GetGlobalGroups(const std::string& server) const;
  std::unique_ptr<TStringList> GetUsers(const std::string& server, TAccountKinds kinds) const;
  // `kinds` of AccountList: local groups, global groups (a lone group named None left out),
  // normal and interdomain-trust users, then the well-known accounts named by this computer.
  std::unique_ptr<TStringList> GetAccounts(const std::string& server, uint32_t kinds) const;

  // The face. Position within the parent window; the size is always kFaceSize square.
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  // Keeps `left` and `top` (moving the window, if there is one); width and height become
  // kFaceSize whatever is asked.
  void SetBounds(int left, int top, int width, int height) override;
  // Draws the face with its top-left corner at `origin` of `dc`: the picture inside a raised
  // frame (white top and left edges, button-shadow right and bottom ones).
  void Paint(HDC dc, POINT origin) override;
  // The picture: the bitmap resource of this module named by the class name in capitals,
  // loaded on first use (the class is complete by then). Null when the module has none; the
  // face is then drawn as the frame alone.
  HBITMAP Bitmap();

  // The component's window; null until a container shows the component or it could be parked.
  HWND WindowHandle() const override { return window_.get(); }
  // Places the window in `parent` (made on first need, at Left and Top) for a container that
  // shows the component. A null parent parks it in this thread's hidden parking window; where
  // none can be made (no display) the window is destroyed and the component goes on without
  // one. Raises the system's error when a window for a real parent cannot be made.
  void ParentTo(HWND parent) override;
  TComponent& Streamed() override { return *this; }
  // Draws the face anew in the window, if there is one, before returning.
  void Repaint();

 protected:
  // After reading saved state: connect once with the streamed name and credentials.
  void Loaded() override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam) noexcept;

  std::string machineName_;
  std::unique_ptr<TLogonAs> logonAs_;
  IOwnerControl* ownerControl_ = nullptr;
  TGdiObject<HBITMAP> bitmap_;
  bool bitmapLoaded_ = false;
  int left_ = 0;
  int top_ = 0;
  int width_ = kFaceSize;
  int height_ = kFaceSize;
  // Declared before the window, so that a parked window goes before the window it sits in.
  std::shared_ptr<TParkingWindow> parking_;
  TWindowOwner window_;
};

}  // namespace corvane
