#include "AnsiText.h"

#include <windows.h>

#include <algorithm>
#include <climits>

#include "Win32Error.h"

namespace corvane::evtsvc {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

std::wstring FromAnsi(std::string_view text) {
  if (text.empty()) return {};
  if (text.size() > INT_MAX) ThrowWin32(ERROR_INVALID_PARAMETER);
  const int length = static_cast<int>(text.size());
  const int needed = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  if (needed <= 0) ThrowLastError();
  std::wstring result(static_cast<size_t>(needed), L'\0');
  if (MultiByteToWideChar(CP_ACP, 0, text.data(), length, result.data(), needed) != needed) {
    ThrowLastError();
  }
  return result;
}

std::string ToAnsi(std::wstring_view text) {
  if (text.empty()) return {};
  // ASCII is the same in every ANSI code page, and nearly all event text is ASCII: it needs no
  // trip through the code-page tables.
  if (std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x80; })) {
    return std::string(text.begin(), text.end());
  }
  if (text.size() > INT_MAX) ThrowWin32(ERROR_INVALID_PARAMETER);
  const int length = static_cast<int>(text.size());
  const int needed = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) ThrowLastError();
  std::string result(static_cast<size_t>(needed), '\0');
  if (WideCharToMultiByte(CP_ACP, 0, text.data(), length, result.data(), needed, nullptr, nullptr) !=
      needed) {
    ThrowLastError();
  }
  return result;
}

std::string ToAnsi(std::u16string_view text) {
  if (std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; })) {
    return std::string(text.begin(), text.end());
  }
  return ToAnsi(FromU16(text));
}

std::u16string ToU16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

std::wstring FromU16(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

}  // namespace corvane::evtsvc
