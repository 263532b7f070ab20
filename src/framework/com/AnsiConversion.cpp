#include "framework/com/AnsiConversion.h"

#include <new>
#include <utility>

namespace corvane {

UniqueBstr AnsiToBstr(std::string_view text) {
  UniqueBstr result;
  AnsiToWideInto(text, [&](int size) {
    result.reset(SysAllocStringLen(nullptr, static_cast<UINT>(size)));
    if (!result) throw std::bad_alloc();
    return result.get();
  });
  return result;
}

std::string BstrToAnsi(BSTR text, std::string_view what, std::string_view outcome) {
  return WideToAnsi(BstrText(text), what, outcome);
}

std::string BstrToAnsiLossy(BSTR text) { return WideToAnsiLossy(BstrText(text)); }

UniqueVariant AnsiToVariant(std::string_view text) {
  VARIANT value;
  V_VT(&value) = VT_BSTR;
  V_BSTR(&value) = AnsiToBstr(text).release();
  return UniqueVariant(std::move(value));
}

}  // namespace corvane
