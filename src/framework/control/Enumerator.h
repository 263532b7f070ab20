// Enumerators over a fixed snapshot of items that each carry one interface reference
// (connections, connection points). The enumerator holds a reference on every item for its
// life, and each item handed out carries a further one for the caller.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <algorithm>
#include <memory>
#include <vector>
#include "framework/com/ComObject.h"

namespace corvane {

namespace detail {
inline IUnknown* HeldReference(const CONNECTDATA& item) { return item.pUnk; }
inline IUnknown* HeldReference(IConnectionPoint* item) { return item; }

template <class IEnum>
struct EnumItem;
template <>
struct EnumItem<IEnumConnections> {
  using type = CONNECTDATA;
};
template <>
struct EnumItem<IEnumConnectionPoints> {
  using type = IConnectionPoint*;
};

// The items and the references on them, shared by an enumerator and its clones.
template <class Item>
class TEnumItems {
 public:
  explicit TEnumItems(std::vector<Item> items) : items_(std::move(items)) {
    for (const Item& item : items_) HeldReference(item)->AddRef();
  }
  ~TEnumItems() {
    for (const Item& item : items_) HeldReference(item)->Release();
  }
  TEnumItems(const TEnumItems&) = delete;
  TEnumItems& operator=(const TEnumItems&) = delete;
  const std::vector<Item>& Items() const { return items_; }

 private:
  std::vector<Item> items_;
};
}  // namespace detail

template <class IEnum>
class TEnumerator final : public ComObject<TEnumerator<IEnum>, IEnum> {
  using Item = typename detail::EnumItem<IEnum>::type;

 public:
  TEnumerator(std::shared_ptr<const detail::TEnumItems<Item>> items, size_t position)
      : items_(std::move(items)), position_(position) {}

  HRESULT STDMETHODCALLTYPE Next(ULONG count, Item* out, ULONG* fetched) noexcept override {
    if (out == nullptr || (count > 1 && fetched == nullptr)) return E_POINTER;
    const auto& items = items_->Items();
    ULONG given = 0;
    for (; given < count && position_ < items.size(); ++given, ++position_) {
      out[given] = items[position_];
      detail::HeldReference(out[given])->AddRef();
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
  std::shared_ptr<const detail::TEnumItems<Item>> items_;
  size_t position_;
};

// An enumerator over `items`, which it references for its life.
template <class IEnum>
ComPtr<IEnum> MakeEnumerator(std::vector<typename detail::EnumItem<IEnum>::type> items) {
  using Item = typename detail::EnumItem<IEnum>::type;
  ComPtr<IEnum> result;
  result.attach(
      Make<TEnumerator<IEnum>>(std::make_shared<const detail::TEnumItems<Item>>(std::move(items)), 0)
          .detach());
  return result;
}

}  // namespace corvane
