// The one pair of conversions between the 8-bit strings of the ANSI code page (the components,
// the system's A functions) and UTF-16 (automation, the system's own text, the log files).
// Lengths are exact: embedded NULs pass through, and nothing is cut at a fixed buffer size. A
// conversion the system fails raises EOleSysError with HRESULT_FROM_WIN32 of its error.
//
// 8-bit text always reads into UTF-16 as the system reads it. The way back has two modes:
// - WideToAnsi is for text given to us to store or act on (a name, an event's text, an
//   argument). Text that would not come back unchanged is refused: a character the code page
//   lacks would be stored as '?', one it maps to a look-alike (a Greek alpha to 'a') as another
//   character, and half a surrogate pair as '?', and the caller would never know.
// - WideToAnsiLossy is for text handed to a reader that asked for 8-bit text: the system's A
//   functions give records, names and messages to an ANSI caller the same way, with the code
//   page's default character or a look-alike for what it cannot hold, and such a reader has no
//   way to receive more.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

std::wstring AnsiToWide(std::string_view text);

// Raises "<what> cannot hold U+4E8B (character 3): code page 1252 has no such character." with
// " <outcome>" after it, naming the first character that would not come back: its position
// counts UTF-16 units from 1, as scripts count the characters of a string.
std::string WideToAnsi(std::wstring_view text, std::string_view what, std::string_view outcome = {});
// The same for a secret: the message gives the position but not the character.
std::string SecretToAnsi(std::wstring_view text, std::string_view what);
// The 8-bit text, or nothing when it would not come back unchanged.
std::optional<std::string> ExactAnsi(std::wstring_view text);
std::string WideToAnsiLossy(std::wstring_view text);

// Converts `text` into storage that `allocate(count)` hands out for exactly `count` UTF-16
// units (zero for empty text), for owners other than std::wstring.
template <typename Allocate>
void AnsiToWideInto(std::string_view text, Allocate allocate);

// The log format and the simulated network keep UTF-16 as char16_t, here the same unit as
// wchar_t.
inline std::u16string ToU16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }
inline std::wstring FromU16(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
inline std::u16string AnsiToU16(std::string_view text) { return ToU16(AnsiToWide(text)); }
inline std::string WideToAnsiLossy(std::u16string_view text) { return WideToAnsiLossy(FromU16(text)); }

namespace ansi_detail {
int CheckedLength(size_t length);
[[noreturn]] void RaiseConversionFailure();
}  // namespace ansi_detail

template <typename Allocate>
void AnsiToWideInto(std::string_view text, Allocate allocate) {
  const int length = ansi_detail::CheckedLength(text.size());
  if (length == 0) {
    allocate(0);
    return;
  }
  const int needed = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  if (needed <= 0) ansi_detail::RaiseConversionFailure();
  wchar_t* target = allocate(needed);
  if (MultiByteToWideChar(CP_ACP, 0, text.data(), length, target, needed) != needed) {
    ansi_detail::RaiseConversionFailure();
  }
}

}  // namespace corvane
