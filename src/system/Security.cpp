#include "system/Security.h"

#include <cstring>

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
  auto chars = std::make_unique<WCHAR[]>(n + 1);
  std::memset(chars.get(), 0, (n + 1) * sizeof(WCHAR));
  const int units = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(n), chars.get(),
                                          static_cast<int>(n));
  out.value_.Buffer = chars.get();
  // For double-byte text fewer units than bytes result; the length counts what was converted.
  out.value_.Length = static_cast<USHORT>(units * sizeof(WCHAR));
  out.value_.MaximumLength = static_cast<USHORT>((n + 1) * sizeof(WCHAR));
  out.chars_ = std::move(chars);
}

}  // namespace corvane
