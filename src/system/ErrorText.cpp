#include "system/ErrorText.h"

#include "system/NetErrorTable.h"
#include "system/NT_vs_95.h"
#include "system/Security.h"

namespace corvane {

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
