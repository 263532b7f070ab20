#include "automation/LibraryIds.h"
#include "automation/NTpersistentXAdapters.h"
#include "framework/com/AnsiConversion.h"

namespace corvane {

TLogonAsAdapter::TLogonAsAdapter(TLogonAs& credentials) {
  UseRegisteredTypeInfo(kPersistentLibid);
  SetWrapped(credentials);
}

HRESULT TLogonAsAdapter::get_UserName(BSTR* Value) noexcept {
  return Boundary<ILogonAs>([&] { *Value = AnsiToBstr(Target().UserName()).release(); }, Value);
}

HRESULT TLogonAsAdapter::put_UserName(BSTR value) noexcept {
  return Boundary<ILogonAs>([&] { Target().SetUserName(BstrToAnsi(value, "UserName")); });
}

HRESULT TLogonAsAdapter::get_Password(BSTR* Value) noexcept {
  return Boundary<ILogonAs>([&] { *Value = AnsiToBstr(Target().Password()).release(); }, Value);
}

HRESULT TLogonAsAdapter::put_Password(BSTR value) noexcept {
  return Boundary<ILogonAs>([&] { Target().SetPassword(SecretToAnsi(BstrText(value), "Password")); });
}

ComPtr<ILogonAs> LogonAsAdapter(TLogonAs& credentials) {
  return KeptAdapter<TLogonAsAdapter>(credentials.Adapter(), credentials).query<ILogonAs>();
}

}  // namespace corvane
