// Every COM member, exported function and window procedure of the library runs its body through
// ComBoundary, the one place where exceptions become HRESULTs:
//   - out-parameters are set empty before the body runs, and emptied again (freeing whatever the
//     body put there) when it fails, so a caller never sees half a result; a null out-parameter
//     gives E_POINTER;
//   - EOleSysError gives its code when negative, else E_UNEXPECTED; std::bad_alloc gives
//     E_OUTOFMEMORY; anything else E_UNEXPECTED;
//   - a failure leaves an error-information record: description = the message, source = the
//     origin's program identifier (none for adapters), GUID = the interface's IID, no help file;
//   - success clears the thread's record, so a caller never reads a stale one of an earlier,
//     already handled failure.
// The body returns void (S_OK) or an HRESULT of its own (S_FALSE, or a failure forwarded from a
// callee, whose record is then left as the callee set it).
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <concepts>
#include <type_traits>
#include <utility>

namespace corvane {

struct ErrorOrigin {
  GUID iid = GUID_NULL;
  // Program identifier named as the error's source, or null for none.
  const wchar_t* source = nullptr;
};

// The HRESULT for the exception being handled, with its error-information record set. Only valid
// inside a catch block.
HRESULT ReportCurrentException(const ErrorOrigin& origin) noexcept;
// E_POINTER with its record, for a null out-parameter.
HRESULT ReportNullOutParameter(const ErrorOrigin& origin) noexcept;

namespace boundary {

// The out-parameter kinds of automation members.
inline void Clear(BSTR* out) noexcept { *out = nullptr; }
inline void Free(BSTR* out) noexcept {
  SysFreeString(*out);
  *out = nullptr;
}
inline void Clear(VARIANT* out) noexcept { VariantInit(out); }
inline void Free(VARIANT* out) noexcept {
  VariantClear(out);
  VariantInit(out);
}
template <std::derived_from<IUnknown> I>
void Clear(I** out) noexcept {
  *out = nullptr;
}
template <std::derived_from<IUnknown> I>
void Free(I** out) noexcept {
  if (I* held = std::exchange(*out, nullptr)) held->Release();
}
template <typename T>
concept Scalar = std::is_arithmetic_v<T> || std::is_enum_v<T>;

template <Scalar T>
void Clear(T* out) noexcept {
  *out = T{};
}
template <Scalar T>
void Free(T* out) noexcept {
  *out = T{};
}

void ClearErrorInfo() noexcept;

}  // namespace boundary

template <typename Body, typename... Outs>
HRESULT ComBoundary(const ErrorOrigin& origin, Body&& body, Outs*... outs) noexcept {
  if (((outs == nullptr) || ...)) return ReportNullOutParameter(origin);
  (boundary::Clear(outs), ...);
  HRESULT result = S_OK;
  try {
    if constexpr (std::is_void_v<std::invoke_result_t<Body&>>) {
      body();
    } else {
      result = body();
    }
  } catch (...) {
    result = ReportCurrentException(origin);
  }
  if (FAILED(result)) {
    (boundary::Free(outs), ...);
  } else {
    boundary::ClearErrorInfo();
  }
  return result;
}

// Returns the HRESULT of `call` from the enclosing function when it is a failure; evaluates it once.
#define CORVANE_RETURN_IF_FAILED(call)                       \
  do {                                                       \
    if (const HRESULT corvane_hr_ = (call); FAILED(corvane_hr_)) \
      return corvane_hr_;                                    \
  } while (false)

// The program identifier class C names as its errors' source: its kErrorSource, else none.
template <typename C>
constexpr const wchar_t* ErrorSourceOf() noexcept {
  if constexpr (requires { C::kErrorSource; }) {
    return C::kErrorSource;
  } else {
    return nullptr;
  }
}

// Runs one member of interface I of class C through the boundary, in C's name.
template <typename I, typename C, typename Body, typename... Outs>
HRESULT MemberBoundary(Body&& body, Outs*... outs) noexcept {
  return ComBoundary(ErrorOrigin{__uuidof(I), ErrorSourceOf<C>()}, std::forward<Body>(body), outs...);
}

}  // namespace corvane
