// The one base of every COM class of the library:
//
//   class TThing final : public ComObject<TThing, DispatchImpl<IThing>, ISupportErrorInfo> { ... };
//   ComPtr<TThing> thing = Make<TThing>(args...);
//
// It owns QueryInterface, AddRef and Release (final: no class answers them a second way). The
// identity is the first entry's IUnknown, whichever interface QueryInterface is asked through.
// The count is atomic and starts at 1 with Make, so a constructor that hands out `this` cannot
// destroy the object under construction. Listing ISupportErrorInfo answers S_OK for every
// interface of the list, because every member reports through ComBoundary.
//
// Classes that keep the module loaded (controls, property pages) declare
//   static constexpr bool kCountsInModule = true;
// and a class whose failures name a source declares
//   static constexpr const wchar_t* kErrorSource = L"...";
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oaidl.h>

#include <atomic>
#include <utility>

#include "framework/com/ComBoundary.h"
#include "framework/com/ComPtr.h"
#include "framework/com/InterfaceList.h"
#include "framework/com/ModuleLock.h"

namespace corvane {

namespace detail {

template <typename Object, typename Entry>
struct EntryBase : Entry {};

template <typename Object>
struct EntryBase<Object, ISupportErrorInfo> : ISupportErrorInfo {
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) noexcept final {
    return iid != IID_IUnknown && Object::Answers(iid) ? S_OK : S_FALSE;
  }
};

template <typename... Is>
bool AnyMatches(REFIID iid, InterfaceList<Is...>) noexcept {
  return ((iid == __uuidof(Is)) || ...);
}

template <typename From, typename... Is>
void* Find(From* from, REFIID iid, InterfaceList<Is...>) noexcept {
  void* found = nullptr;
  ((iid == __uuidof(Is) ? (found = static_cast<Is*>(from), true) : false) || ...);
  return found;
}

template <typename Derived>
constexpr bool CountsInModule() {
  if constexpr (requires { Derived::kCountsInModule; }) {
    return Derived::kCountsInModule;
  } else {
    return false;
  }
}

}  // namespace detail

template <typename Derived, typename First, typename... Rest>
class ComObject : public detail::EntryBase<ComObject<Derived, First, Rest...>, First>,
                  public detail::EntryBase<ComObject<Derived, First, Rest...>, Rest>... {
 public:
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept final {
    if (out == nullptr) return E_POINTER;
    *out = Find(iid);
    if (*out == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() noexcept final { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() noexcept final {
    const ULONG remaining = --refs_;
    if (remaining == 0) delete static_cast<Derived*>(this);
    return remaining;
  }

  // Whether QueryInterface answers `iid` (IUnknown included).
  static bool Answers(REFIID iid) noexcept {
    return iid == IID_IUnknown || detail::AnyMatches(iid, typename AnsweredBy<First>::type{}) ||
           (detail::AnyMatches(iid, typename AnsweredBy<Rest>::type{}) || ...);
  }

  // The object's identity, without a reference of its own.
  IUnknown* Identity() noexcept { return static_cast<IUnknown*>(static_cast<Entry<First>*>(this)); }

 protected:
  ComObject() noexcept {
    if constexpr (detail::CountsInModule<Derived>()) ModuleLock::AddObject();
  }
  ~ComObject() {
    if constexpr (detail::CountsInModule<Derived>()) ModuleLock::RemoveObject();
  }

  // Runs one member of interface I through the boundary, naming the class's source.
  template <typename I, typename Body, typename... Outs>
  HRESULT Boundary(Body&& body, Outs*... outs) noexcept {
    return MemberBoundary<I, Derived>(std::forward<Body>(body), outs...);
  }

 private:
  template <typename E>
  using Entry = detail::EntryBase<ComObject, E>;

  void* Find(REFIID iid) noexcept {
    if (iid == IID_IUnknown) return Identity();
    void* found = detail::Find(static_cast<Entry<First>*>(this), iid, typename AnsweredBy<First>::type{});
    // Cast: with a single entry the fold is the constant false.
    static_cast<void>(
        ((found == nullptr ? (found = detail::Find(static_cast<Entry<Rest>*>(this), iid,
                                                   typename AnsweredBy<Rest>::type{})) != nullptr
                           : true) ||
         ...));
    return found;
  }

  std::atomic<ULONG> refs_{1};
};

// Creates a COM object holding the one reference its creator gets.
template <typename T, typename... Args>
ComPtr<T> Make(Args&&... args) {
  ComPtr<T> object;
  object.attach(new T(std::forward<Args>(args)...));
  return object;
}

}  // namespace corvane
