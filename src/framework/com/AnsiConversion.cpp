#include "framework/com/AnsiConversion.h"

#include <climits>
#include <new>
#include <utility>

#include "framework/OleSysError.h"

namespace corvane {
namespace {

int CheckedLength(size_t length) {
  if (length > static_cast<size_t>(INT_MAX)) {
    throw EOleSysError("String too long to convert", static_cast<int32_t>(E_INVALIDARG));
  }
  return static_cast<int>(length);
}

[[noreturn]] void RaiseConversionFailure() {
  const DWORD error = GetLastError();
  throw EOleSysError(std::to_string(error) + ": string conversion failed",
                     static_cast<int32_t>(HRESULT_FROM_WIN32(error)));
}

// Asks for the length first, then converts into storage of exactly that size.
template <typename Out>
void ToWide(std::string_view text, Out allocate) {
  const int length = CheckedLength(text.size());
  if (length == 0) {
    allocate(0);
    return;
  }
  const int needed = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  if (needed <= 0) RaiseConversionFailure();
  wchar_t* target = allocate(needed);
  if (MultiByteToWideChar(CP_ACP, 0, text.data(), length, target, needed) != needed) {
    RaiseConversionFailure();
  }
}

}  // namespace

std::wstring AnsiToWide(std::string_view text) {
  std::wstring result;
  ToWide(text, [&](int size) {
    result.resize(static_cast<size_t>(size));
    return result.data();
  });
  return result;
}

UniqueBstr AnsiToBstr(std::string_view text) {
  UniqueBstr result;
  ToWide(text, [&](int size) {
    result.reset(SysAllocStringLen(nullptr, static_cast<UINT>(size)));
    if (!result) throw std::bad_alloc();
    return result.get();
  });
  return result;
}

std::string WideToAnsi(std::wstring_view text) {
  const int length = CheckedLength(text.size());
  if (length == 0) return {};
  const int needed = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) RaiseConversionFailure();
  std::string result(static_cast<size_t>(needed), '\0');
  if (WideCharToMultiByte(CP_ACP, 0, text.data(), length, result.data(), needed, nullptr, nullptr) !=
      needed) {
    RaiseConversionFailure();
  }
  return result;
}

std::string BstrToAnsi(BSTR text) {
  return WideToAnsi(std::wstring_view(text, text != nullptr ? SysStringLen(text) : 0));
}

UniqueVariant AnsiToVariant(std::string_view text) {
  VARIANT value;
  V_VT(&value) = VT_BSTR;
  V_BSTR(&value) = AnsiToBstr(text).release();
  return UniqueVariant(std::move(value));
}

}  // namespace corvane
