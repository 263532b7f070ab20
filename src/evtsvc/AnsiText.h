// Conversions between the 8-bit strings of the A functions (the ANSI code page, CP_ACP) and the
// UTF-16 text that the registry, the file system and the log files hold.
#pragma once

#include <string>
#include <string_view>

namespace corvane::evtsvc {

std::wstring FromAnsi(std::string_view text);
// Characters the code page cannot represent become its default character ('?').
std::string ToAnsi(std::wstring_view text);
// The same for text as the log format keeps it.
std::string ToAnsi(std::u16string_view text);

// The log format keeps UTF-16 as char16_t; on Windows wchar_t is the same 16-bit unit.
std::u16string ToU16(std::wstring_view text);
std::wstring FromU16(std::u16string_view text);

}  // namespace corvane::evtsvc
