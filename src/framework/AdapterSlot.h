// How an object that scripts reach keeps its automation wrapper, without this layer knowing COM.
//
// The object holds the wrapper in a TAdapterSlot: one counted reference, taken when the wrapper
// is first handed out. A script may hold the wrapper longer than the object lives (a record
// after its log was closed), so when the object goes, its slot first tells the wrapper, which
// forgets the object and fails every later call, and only then lets its reference go.
#pragma once

#include <utility>

#include "framework/ClassError.h"

namespace corvane {

// The wrapper's side of the link, seen by the slot.
class IAdapterLink {
 public:
  virtual void LinkAddRef() noexcept = 0;
  virtual void LinkRelease() noexcept = 0;
  // The wrapped object is being destroyed: no member may reach it from now on.
  virtual void WrappedGone() noexcept = 0;

 protected:
  ~IAdapterLink() = default;
};

class TAdapterSlot {
 public:
  TAdapterSlot() = default;
  TAdapterSlot(const TAdapterSlot&) = delete;
  TAdapterSlot& operator=(const TAdapterSlot&) = delete;
  ~TAdapterSlot() {
    if (IAdapterLink* link = std::exchange(link_, nullptr)) {
      link->WrappedGone();
      link->LinkRelease();
    }
  }

  // The wrapper, without a reference of its own; null until one is set.
  IAdapterLink* Get() const noexcept { return link_; }
  // Keeps `link` (a reference of the slot's own). A wrapper set before is let go untold: the
  // object it wraps still lives.
  void Set(IAdapterLink* link) noexcept {
    if (link) link->LinkAddRef();
    if (IAdapterLink* previous = std::exchange(link_, link)) previous->LinkRelease();
  }

 private:
  IAdapterLink* link_ = nullptr;
};

// The base of a wrapper of one `Wrapped` object, linked through that object's slot. `Derived`
// supplies AddRef and Release (its COM count) and names the message of the failure raised once
// the wrapped object is gone:
//   static constexpr const char* kWrappedGoneMessage = "...";
template <typename Derived, typename Wrapped>
class TLinkedWrapper : public IAdapterLink {
 public:
  void LinkAddRef() noexcept final { static_cast<Derived*>(this)->AddRef(); }
  void LinkRelease() noexcept final { static_cast<Derived*>(this)->Release(); }
  void WrappedGone() noexcept final { wrapped_ = nullptr; }

 protected:
  explicit TLinkedWrapper(Wrapped* wrapped = nullptr) noexcept : wrapped_(wrapped) {}
  ~TLinkedWrapper() = default;

  // For the wrapper's constructor, which may first have to do what can fail.
  void SetWrapped(Wrapped& wrapped) noexcept { wrapped_ = &wrapped; }
  // The wrapped object; raises once it is gone.
  Wrapped& Target() const {
    if (!wrapped_) RaiseClassError(Derived::kWrappedGoneMessage);
    return *wrapped_;
  }

 private:
  Wrapped* wrapped_;  // not owned; null once the object is gone
};

}  // namespace corvane
