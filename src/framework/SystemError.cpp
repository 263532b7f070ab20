#include "framework/SystemError.h"

#include <windows.h>

#include <cstring>

#include "framework/AsciiText.h"

namespace corvane {

std::string SystemErrorText(int32_t code) {
  char buffer[1024];
  std::memset(buffer, 0, sizeof buffer);
  ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   static_cast<DWORD>(code), 0, buffer, sizeof buffer - 1, nullptr);
  // The system ends its texts with a line break, which has no place inside a message.
  return std::to_string(code) + ": " + std::string(WithoutLineEnds(buffer));
}

void RaiseSystemError(const std::string& message) {
  throw EOleSysError(message, kSystemErrorCode, 0);
}

void RaiseLastSystemError() {
  const DWORD code = ::GetLastError();
  if (code != 0) RaiseSystemError(SystemErrorText(static_cast<int32_t>(code)));
}

void RaiseLastSystemErrorOr(const std::string& fallback) {
  RaiseLastSystemError();
  RaiseSystemError(fallback);
}

}  // namespace corvane
