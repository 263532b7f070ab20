#include "framework/AnsiText.h"

#include <climits>

#include "framework/OleSysError.h"

namespace corvane {
namespace ansi_detail {

int CheckedLength(size_t length) {
  if (length > static_cast<size_t>(INT_MAX)) {
    throw EOleSysError("String too long to convert", static_cast<int32_t>(E_INVALIDARG));
  }
  return static_cast<int>(length);
}

void RaiseConversionFailure() {
  const DWORD error = GetLastError();
  throw EOleSysError(std::to_string(error) + ": string conversion failed",
                     static_cast<int32_t>(HRESULT_FROM_WIN32(error)));
}

}  // namespace ansi_detail

std::wstring AnsiToWide(std::string_view text) {
  std::wstring result;
  AnsiToWideInto(text, [&](int size) {
    result.resize(static_cast<size_t>(size));
    return result.data();
  });
  return result;
}

std::string WideToAnsi(std::wstring_view text) {
  const int length = ansi_detail::CheckedLength(text.size());
  if (length == 0) return {};
  const int needed = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) ansi_detail::RaiseConversionFailure();
  std::string result(static_cast<size_t>(needed), '\0');
  if (WideCharToMultiByte(CP_ACP, 0, text.data(), length, result.data(), needed, nullptr, nullptr) !=
      needed) {
    ansi_detail::RaiseConversionFailure();
  }
  return result;
}

}  // namespace corvane
