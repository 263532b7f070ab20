// Messages for local-security-authority and network-management codes, and the helpers that
// raise them as EOleSysError; the plain system texts sit with the error kind.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/SystemError.h"

namespace corvane {

// Below 2100 the system text; from 2100 on the network table's text, or "Unknown error".
std::string NetErrorText(int32_t code);

// Does nothing for 0; otherwise raises NetErrorText with the network error code.
void RaiseNetError(int32_t code);

// Does nothing for 0; otherwise raises the system text of the status (converted on NT).
void RaiseLsaStatus(LONG status);

}  // namespace corvane
