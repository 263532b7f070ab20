#include "system/NTCommon.h"

#include <lm.h>

#include <cstring>

#include "system/ErrorText.h"
#include "system/TextLimits.h"
#include "system/WNetApi.h"

namespace corvane {

namespace {

constexpr DWORD kSessionCredentialConflict = 1219;  // ERROR_SESSION_CREDENTIAL_CONFLICT
constexpr size_t kRemoteNameSize = 256;
constexpr size_t kComputerNameSize = 256;

// Without leading and trailing blanks and control characters.
std::string Trim(const std::string& value) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  size_t first = 0;
  size_t last = value.size();
  while (first < last && blank(value[first])) ++first;
  while (last > first && blank(value[last - 1])) --last;
  return value.substr(first, last - first);
}

// MachineName + "\IPC$" into `buffer`; false when it does not fit with its terminator.
bool RemoteIpcName(const std::string& machineName, char (&buffer)[kRemoteNameSize]) {
  const std::string remote = machineName + "\\IPC$";
  if (remote.size() >= kRemoteNameSize) return false;
  std::memcpy(buffer, remote.c_str(), remote.size() + 1);
  return true;
}

}  // namespace

const char* StringOrNull(const std::string& value) {
  return value.empty() ? nullptr : value.c_str();
}

uint32_t AccountKindsToFilter(TAccountKinds kinds) {
  uint32_t filter = 0;
  if (kinds & AccountKind::TempDuplicate) filter |= FILTER_TEMP_DUPLICATE_ACCOUNT;
  if (kinds & AccountKind::Normal) filter |= FILTER_NORMAL_ACCOUNT;
  if (kinds & AccountKind::InterdomainTrust) filter |= FILTER_INTERDOMAIN_TRUST_ACCOUNT;
  if (kinds & AccountKind::WorkstationTrust) filter |= FILTER_WORKSTATION_TRUST_ACCOUNT;
  if (kinds & AccountKind::ServerTrust) filter |= FILTER_SERVER_TRUST_ACCOUNT;
  return filter;
}

TAccountKinds FilterToAccountKinds(uint32_t filter) {
  TAccountKinds kinds = 0;
  if (filter & FILTER_TEMP_DUPLICATE_ACCOUNT) kinds |= AccountKind::TempDuplicate;
  if (filter & FILTER_NORMAL_ACCOUNT) kinds |= AccountKind::Normal;
  if (filter & FILTER_INTERDOMAIN_TRUST_ACCOUNT) kinds |= AccountKind::InterdomainTrust;
  if (filter & FILTER_WORKSTATION_TRUST_ACCOUNT) kinds |= AccountKind::WorkstationTrust;
  if (filter & FILTER_SERVER_TRUST_ACCOUNT) kinds |= AccountKind::ServerTrust;
  return kinds;
}

const TClassInfo& TLogonAs::StaticClassInfo() {
  static const TClassInfo info(
      "TLogonAs", &TPersistent::StaticClassInfo(),
      {Published<TLogonAs>::String("UserName", &TLogonAs::UserName, &TLogonAs::SetUserName),
       Published<TLogonAs>::String("Password", &TLogonAs::Password, &TLogonAs::SetPassword)});
  return info;
}

const TClassInfo& TLogonAs::ClassInfo() const { return StaticClassInfo(); }

void TLogonAs::SetUserName(const std::string& value) {
  RequireSystemText(value, kAnyLength, "UserName");
  userName_ = value;
}

void TLogonAs::SetPassword(const std::string& value) {
  RequireSystemText(value, kAnyLength, "Password");
  password_ = value;
}

TNTPersistent::TNTPersistent(TComponent* owner)
    : TComponent(owner), logonAs_(std::make_unique<TLogonAs>()) {}

const TClassInfo& TNTPersistent::StaticClassInfo() {
  static const TClassInfo info("TNTPersistent", &TComponent::StaticClassInfo(), {});
  return info;
}

const TClassInfo& TNTPersistent::ClassInfo() const { return StaticClassInfo(); }

TPropInfo TNTPersistent::MachineNameProperty() {
  return Published<TNTPersistent>::String("MachineName", &TNTPersistent::GetMachineName,
                                          &TNTPersistent::SetMachineName);
}

TPropInfo TNTPersistent::LogonAsProperty() {
  return Published<TNTPersistent>::Object(
      "LogonAs", TLogonAs::StaticClassInfo(),
      [](TNTPersistent& component) -> TLogonAs& { return component.LogonAs(); }, nullptr);
}

void TNTPersistent::Loaded() {
  TComponent::Loaded();
  ConnectIPC();
}

std::string TNTPersistent::GetMachineName() const { return machineName_; }

void TNTPersistent::SetMachineName(const std::string& value) {
  RequireSystemText(value, kMaxMachineName, "MachineName");
  if (value == machineName_) return;
  DisconnectIPC();
  machineName_ = value;
  ConnectIPC();
}

bool TNTPersistent::IsDesignMode() const {
  return ownerControl_ != nullptr && ownerControl_->IsDesignMode();
}

bool TNTPersistent::NeedsConnection() const {
  if (IsReading()) return false;
  const std::string machine = Trim(GetMachineName());
  if (machine.empty()) return false;
  if (Trim(LocalComputerName()) == machine) return false;
  return !Trim(logonAs_->UserName()).empty() || !Trim(logonAs_->Password()).empty();
}

void TNTPersistent::ConnectIPC() {
  if (!NeedsConnection()) return;
  char remote[kRemoteNameSize];
  if (!RemoteIpcName(GetMachineName(), remote)) return;
  char noLocalDevice[] = "";
  NETRESOURCEA resource = {};
  resource.lpLocalName = noLocalDevice;
  resource.lpRemoteName = remote;
  const std::string password = logonAs_->Password();
  const std::string user = logonAs_->UserName();
  const DWORD result =
      WNetApi.WNetAddConnection2A(&resource, password.c_str(), user.c_str(), 0);
  if (result == kSessionCredentialConflict) {
    // A connection under other credentials stands in the way: replace it once.
    WNetApi.WNetCancelConnection2A(remote, 0, FALSE);
    WNetApi.WNetAddConnection2A(&resource, password.c_str(), user.c_str(), 0);
  }
}

void TNTPersistent::DisconnectIPC() {
  if (!NeedsConnection()) return;
  char remote[kRemoteNameSize];
  if (!RemoteIpcName(GetMachineName(), remote)) return;
  WNetApi.WNetCancelConnection2A(remote, 0, FALSE);
}

std::string TNTPersistent::LocalComputerName() const {
  char name[kComputerNameSize] = {};
  DWORD size = kComputerNameSize;
  if (!GetComputerNameA(name, &size)) RaiseLastSystemError();
  return std::string(name, strnlen(name, kComputerNameSize));
}

void TNTPersistent::UpdateStrings(const TStringList& oldList, const TStringList& newList,
                                  TStringList& target) const {
  TStringList copy;
  copy.Assign(oldList);
  int index = 0;
  while (index < copy.Count()) {
    if (!newList.Contains(copy[index])) {
      target.Delete(index);
      copy.Delete(index);
    } else {
      ++index;
    }
  }
  for (const std::string& entry : newList) {
    if (!copy.Contains(entry)) target.Add(entry);
  }
}

}  // namespace corvane
