// Messages for system, local-security-authority and network-management codes, and the helpers
// that raise them as EOleSysError.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/OleSysError.h"

namespace corvane {

// The code in decimal, ": " and the system's text for it (empty when it has none; a line end
// at the end of the text stays).
std::string SystemErrorText(int32_t code);

[[noreturn]] void RaiseSystemError(const std::string& message);

// Raises the calling thread's last error; does nothing when it is 0.
void RaiseLastSystemError();

// Below 2100 the system text; from 2100 on the network table's text, or "Unknown error".
std::string NetErrorText(int32_t code);

// Does nothing for 0; otherwise raises NetErrorText with the network error code.
void RaiseNetError(int32_t code);

// Does nothing for 0; otherwise raises the system text of the status (converted on NT).
void RaiseLsaStatus(LONG status);

}  // namespace corvane
