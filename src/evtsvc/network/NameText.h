// Text as the simulated machines hold it: UTF-16 names compared the way the system compares
// account, machine and registry names (ordinal, ignoring letter case).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "framework/Utf8.h"

namespace corvane::network {

// The upper-case form the system compares names by. Covers ASCII, Latin-1, Latin Extended-A,
// Greek, Cyrillic and the full-width Latin letters; other characters compare as they are.
char16_t UpperCase(char16_t c);
std::u16string UpperCase(std::u16string_view text);

// Ordinal comparison of the upper-case forms: negative, 0 or positive.
int CompareNames(std::u16string_view a, std::u16string_view b);
bool SameName(std::u16string_view a, std::u16string_view b);

// Spaces and tabs: what separates the words of the accounts and registry files.
bool IsBlank(char16_t c);
// Without the blanks at the start (and for Trim, at the end).
std::u16string_view TrimLeft(std::u16string_view text);
std::u16string_view Trim(std::u16string_view text);

// Strict UTF-8: a malformed sequence, an overlong form or a surrogate throws EOleSysError
// (ERROR_INVALID_DATA).
std::u16string FromUtf8(std::string_view text);
// ToUtf8, for messages and tests, comes from framework/Utf8.h.

// Windows-1252, the 8-bit code page of the files when no other is given.
std::u16string FromWindows1252(std::string_view text);

// Registry and account data hold UTF-16 little-endian.
std::u16string FromUtf16Le(const uint8_t* bytes, size_t size);
std::string ToUtf16LeBytes(std::u16string_view text);

}  // namespace corvane::network
