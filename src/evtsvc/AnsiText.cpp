#include "AnsiText.h"

#include <windows.h>

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

std::u16string ToU16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

std::wstring FromU16(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

}  // namespace corvane::evtsvc
