// The components' ANSI strings as automation's BSTRs and string variants, converted as
// AnsiText.h does, in its two modes. A null BSTR reads as the empty string.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

#include "framework/AnsiText.h"
#include "framework/com/UniqueBstr.h"
#include "framework/com/UniqueVariant.h"

namespace corvane {

// Always a real BSTR, "" for empty text, since some callers read it without a null check.
UniqueBstr AnsiToBstr(std::string_view text);
inline std::wstring_view BstrText(BSTR text) { return {text, text != nullptr ? SysStringLen(text) : 0}; }
// A script's text for a member to store or act on: refused, naming `what`, when the code page
// cannot hold it.
std::string BstrToAnsi(BSTR text, std::string_view what, std::string_view outcome = {});
// Text for display or a message.
std::string BstrToAnsiLossy(BSTR text);
// A string variant (VT_BSTR).
UniqueVariant AnsiToVariant(std::string_view text);

}  // namespace corvane
