// The components keep 8-bit strings in the system's ANSI code page; the system and automation
// speak UTF-16. These convert between the two with exact lengths: embedded NULs pass through,
// and nothing is cut at a fixed buffer size. A failing conversion raises EOleSysError with the
// system's error.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace corvane {

std::wstring AnsiToWide(std::string_view text);
std::string WideToAnsi(std::wstring_view text);

// Converts `text` into storage that `allocate(count)` hands out for exactly `count` UTF-16
// units (zero for empty text), for owners other than std::wstring.
template <typename Allocate>
void AnsiToWideInto(std::string_view text, Allocate allocate);

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
