// Owner of one counted reference to a COM interface. Move-only, so every AddRef is visible in the
// code (copy_to, query, the explicit copy constructor of Copy) and released exactly once.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <cassert>
#include <cstddef>

#include "framework/OleSysError.h"
#include "framework/UniqueResource.h"

namespace corvane {

// A counted reference is given back by releasing it.
template <typename I>
struct TComTraits {
  static I* Invalid() noexcept { return nullptr; }
  static void Close(I* ptr) noexcept { ptr->Release(); }
};

template <typename I>
class ComPtr : public TUniqueResource<I*, TComTraits<I>> {
  using Base = TUniqueResource<I*, TComTraits<I>>;

 public:
  ComPtr() noexcept = default;
  ComPtr(std::nullptr_t) noexcept {}

  // A second owner of the same object: takes a reference of its own.
  static ComPtr Copy(I* ptr) noexcept {
    if (ptr != nullptr) ptr->AddRef();
    ComPtr result;
    result.attach(ptr);
    return result;
  }

  using Base::get;
  I* operator->() const noexcept {
    assert(get() != nullptr);
    return get();
  }

  // Takes over a reference the caller already holds.
  void attach(I* ptr) noexcept { Base::reset(ptr); }
  // Hands the reference to the caller, who must release it.
  [[nodiscard]] I* detach() noexcept { return Base::release(); }

  void** put_void() noexcept { return reinterpret_cast<void**>(Base::put()); }

  // Fills a caller's out-parameter with a further reference.
  template <typename Out>
  void copy_to(Out** out) const noexcept {
    *out = get();
    if (get() != nullptr) get()->AddRef();
  }

  // Another interface of the same object, or an empty owner when the object lacks it.
  template <typename J>
  ComPtr<J> try_query() const noexcept {
    ComPtr<J> result;
    if (get() != nullptr) get()->QueryInterface(__uuidof(J), result.put_void());
    return result;
  }
  // Another interface of the same object; raises the object's answer when it lacks it.
  template <typename J>
  ComPtr<J> query() const {
    ComPtr<J> result;
    const HRESULT hr = get() != nullptr ? get()->QueryInterface(__uuidof(J), result.put_void()) : E_POINTER;
    if (FAILED(hr)) throw EOleSysError("Interface not supported", static_cast<int32_t>(hr));
    return result;
  }
};

}  // namespace corvane
