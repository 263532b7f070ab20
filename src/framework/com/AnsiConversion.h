// The components' ANSI strings as automation's BSTRs and string variants, converted as
// AnsiText.h does. A null BSTR reads as the empty string.
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
std::string BstrToAnsi(BSTR text);
// A string variant (VT_BSTR).
UniqueVariant AnsiToVariant(std::string_view text);

}  // namespace corvane
