// Exported functions carry their own names in the code and the system's names in ntevtsvc.def.
// CORVANE_SAME_SIGNATURE(Name) checks that NtEvtSvc_Name has exactly the signature of the
// system's declaration of Name, calling convention included (the exports are noexcept; the
// system's declarations are not). The only conversion between function pointers drops noexcept,
// so convertibility is sameness up to it; a template that strips noexcept by matching
// `R (*)(Args...) noexcept` would not match a __stdcall pointer on 32-bit Windows.
#pragma once

#include <type_traits>

#define CORVANE_SAME_SIGNATURE(name)                                                    \
  static_assert(std::is_convertible_v<decltype(&NtEvtSvc_##name), decltype(&::name)>, \
                #name " must keep the system's signature")
