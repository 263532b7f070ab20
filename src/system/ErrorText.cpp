#include "system/ErrorText.h"

#include <cstring>

#include "system/NetErrorTable.h"
#include "system/NT_vs_95.h"
#include "system/Security.h"

namespace corvane {

std::string SystemErrorText(int32_t code) {
  char buffer[1024];
  std::memset(buffer, 0, sizeof buffer);
  ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   static_cast<DWORD>(code), 0, buffer, sizeof buffer - 1, nullptr);
  return std::to_string(code) + ": " + buffer;
}

void RaiseSystemError(const std::string& message) {
  throw EOleSysError(message, kSystemErrorCode, 0);
}

void RaiseLastSystemError() {
  const DWORD code = ::GetLastError();
  if (code != 0) RaiseSystemError(SystemErrorText(static_cast<int32_t>(code)));
}

std::string NetErrorText(int32_t code) {
  if (code < 2100) return SystemErrorText(code);
  return NetTableMessage(code);
}

void RaiseNetError(int32_t code) {
  if (code != 0) throw EOleSysError(NetErrorText(code), kNetErrorCode, 0);
}

void RaiseLsaStatus(LONG status) {
  if (status == 0) return;
  const int32_t code = IsWindowsNT()
                           ? static_cast<int32_t>(SecurityApi.LsaNtStatusToWinError(status))
                           : static_cast<int32_t>(status);
  RaiseSystemError(SystemErrorText(code));
}

}  // namespace corvane
