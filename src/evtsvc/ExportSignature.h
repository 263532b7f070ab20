// Exported functions carry their own names in the code and the system's names in ntevtsvc.def.
// CORVANE_SAME_SIGNATURE(Name) checks that NtEvtSvc_Name has exactly the signature of the
// system's declaration of Name (the exports are noexcept; the system's declarations are not).
#pragma once

#include <type_traits>

namespace corvane::evtsvc {

template <typename F>
struct TWithoutNoexcept {
  using type = F;
};
template <typename R, typename... Args>
struct TWithoutNoexcept<R (*)(Args...) noexcept> {
  using type = R (*)(Args...);
};

}  // namespace corvane::evtsvc

#define CORVANE_SAME_SIGNATURE(name)                                                        \
  static_assert(std::is_same_v<corvane::evtsvc::TWithoutNoexcept<decltype(&NtEvtSvc_##name)>::type, \
                               decltype(&::name)>,                                         \
                #name " must keep the system's signature")
