// The components keep 8-bit strings in the system's ANSI code page; automation speaks UTF-16.
// These convert between the two with exact lengths: embedded NULs pass through, and nothing is
// cut at a fixed buffer size. A null BSTR reads as the empty string.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

#include "framework/com/UniqueBstr.h"
#include "framework/com/UniqueVariant.h"

namespace corvane {

std::wstring AnsiToWide(std::string_view text);
std::string WideToAnsi(std::wstring_view text);

// Always a real BSTR, "" for empty text, since some callers read it without a null check.
UniqueBstr AnsiToBstr(std::string_view text);
std::string BstrToAnsi(BSTR text);
// A string variant (VT_BSTR).
UniqueVariant AnsiToVariant(std::string_view text);

}  // namespace corvane
