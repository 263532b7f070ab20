// Enumerators over a fixed snapshot of items: connections and connection points (each carrying
// one interface reference) and the values a script's For Each walks. The snapshot holds its own
// reference or copy of every item for its life, shared by an enumerator and its clones; each item
// handed out is a further reference or copy, for the caller.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <oleauto.h>
#include <algorithm>
#include <memory>
#include <vector>
#include "framework/com/ComObject.h"
#include "framework/com/UniqueVariant.h"

namespace corvane {

namespace detail {

// Per enumerator interface: the item Next hands out, what the snapshot keeps of it (Held), how
// the snapshot takes and lets go of its items, and how a caller's copy is made and, when Next
// fails halfway, taken back.
template <class IEnum>
struct EnumTraits;

template <class Item, IUnknown* (*Reference)(const Item&)>
struct ReferenceTraits {
  using Held = Item;
  static void Hold(const Item& item) noexcept { Reference(item)->AddRef(); }
  static void LetGo(const Item& item) noexcept { Reference(item)->Release(); }
  static HRESULT Give(const Item& held, Item* out) noexcept {
    *out = held;
    Hold(held);
    return S_OK;
  }
  static void TakeBack(Item& given) noexcept { LetGo(given); }
};

inline IUnknown* ConnectionSink(const CONNECTDATA& item) { return item.pUnk; }
inline IUnknown* ConnectionPoint(IConnectionPoint* const& item) { return item; }

template <>
struct EnumTraits<IEnumConnections> : ReferenceTraits<CONNECTDATA, ConnectionSink> {
  using Item = CONNECTDATA;
};
template <>
struct EnumTraits<IEnumConnectionPoints> : ReferenceTraits<IConnectionPoint*, ConnectionPoint> {
  using Item = IConnectionPoint*;
};
template <>
struct EnumTraits<IEnumVARIANT> {
  using Item = VARIANT;
  using Held = UniqueVariant;  // owns its value: nothing more to take or let go
  static void Hold(const UniqueVariant&) noexcept {}
  static void LetGo(const UniqueVariant&) noexcept {}
  static HRESULT Give(const UniqueVariant& held, VARIANT* out) noexcept {
    VariantInit(out);
    // The held value is only read (the system's declaration lacks the const).
    return VariantCopy(out, const_cast<VARIANT*>(held.get()));
  }
  static void TakeBack(VARIANT& given) noexcept { VariantClear(&given); }
};

// The items and the references on them, shared by an enumerator and its clones.
template <class IEnum>
class TEnumItems {
  using Traits = EnumTraits<IEnum>;
  using Held = typename Traits::Held;

 public:
  explicit TEnumItems(std::vector<Held> items) : items_(std::move(items)) {
    for (const Held& item : items_) Traits::Hold(item);
  }
  ~TEnumItems() {
    for (const Held& item : items_) Traits::LetGo(item);
  }
  TEnumItems(const TEnumItems&) = delete;
  TEnumItems& operator=(const TEnumItems&) = delete;
  const std::vector<Held>& Items() const { return items_; }

 private:
  std::vector<Held> items_;
};
}  // namespace detail

template <class IEnum>
class TEnumerator final : public ComObject<TEnumerator<IEnum>, IEnum> {
  using Traits = detail::EnumTraits<IEnum>;
  using Item = typename Traits::Item;
  using Items = detail::TEnumItems<IEnum>;

 public:
  // A script may keep walking after the list's owner is gone.
  static constexpr bool kCountsInModule = true;

  TEnumerator(std::shared_ptr<const Items> items, size_t position)
      : items_(std::move(items)), position_(position) {}

  HRESULT STDMETHODCALLTYPE Next(ULONG count, Item* out, ULONG* fetched) noexcept override {
    if (out == nullptr || (count > 1 && fetched == nullptr)) return E_POINTER;
    const auto& items = items_->Items();
    ULONG given = 0;
    for (; given < count && position_ < items.size(); ++given, ++position_) {
      if (const HRESULT hr = Traits::Give(items[position_], &out[given]); FAILED(hr)) {
        while (given > 0) Traits::TakeBack(out[--given]);
        if (fetched != nullptr) *fetched = 0;
        return hr;
      }
    }
    if (fetched != nullptr) *fetched = given;
    return given == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) noexcept override {
    const size_t size = items_->Items().size();
    const size_t left = size - position_;
    position_ = count <= left ? position_ + count : size;
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() noexcept override {
    position_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnum** out) noexcept override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    try {
      *out = Make<TEnumerator>(items_, position_).detach();
      return S_OK;
    } catch (...) {
      return E_OUTOFMEMORY;
    }
  }

 private:
  std::shared_ptr<const Items> items_;
  size_t position_;
};

// An enumerator over `items`, which it holds for its life.
template <class IEnum>
ComPtr<IEnum> MakeEnumerator(std::vector<typename detail::EnumTraits<IEnum>::Held> items) {
  ComPtr<IEnum> result;
  result.attach(
      Make<TEnumerator<IEnum>>(std::make_shared<const detail::TEnumItems<IEnum>>(std::move(items)), 0).detach());
  return result;
}

}  // namespace corvane
