#include "system/Security.h"

#include <algorithm>
#include <cstring>

#include "framework/AnsiText.h"
#include "system/ErrorText.h"

namespace corvane {

TSecurityFunctions SecurityApi;

void MakeLsaString(const std::string& text, TLsaString& out) {
  out.chars_.reset();
  out.value_ = {0, 0, nullptr};
  if (text.empty()) return;
  const size_t n = text.size();
  // Lengths are 16-bit byte counts: 2n + 2 must fit.
  if (n > 32766) RaiseSystemError(SystemErrorText(ERROR_INVALID_PARAMETER));
  const std::wstring wide = AnsiToWide(text);
  auto chars = std::make_unique<WCHAR[]>(n + 1);
  std::memset(chars.get(), 0, (n + 1) * sizeof(WCHAR));
  // No byte of a code page makes more than one unit; double-byte text makes fewer.
  const size_t units = std::min(wide.size(), n);
  std::memcpy(chars.get(), wide.data(), units * sizeof(WCHAR));
  out.value_.Buffer = chars.get();
  out.value_.Length = static_cast<USHORT>(units * sizeof(WCHAR));
  out.value_.MaximumLength = static_cast<USHORT>((n + 1) * sizeof(WCHAR));
  out.chars_ = std::move(chars);
}

}  // namespace corvane
