// The system's own error texts, raised as the library's one error kind.
#pragma once

#include <cstdint>
#include <string>

#include "framework/OleSysError.h"

namespace corvane {

// The code in decimal, ": " and the system's text for it, without the line break the system
// ends it with (empty when it has none).
std::string SystemErrorText(int32_t code);

[[noreturn]] void RaiseSystemError(const std::string& message);

// Raises the calling thread's last error; does nothing when it is 0.
void RaiseLastSystemError();
// Raises the calling thread's last error, or `fallback` when it is 0: for a call whose failure
// must never pass for success (a null handle, a window that was not made).
[[noreturn]] void RaiseLastSystemErrorOr(const std::string& fallback);

}  // namespace corvane
