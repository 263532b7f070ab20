// A component: an object with an owner and a state that tells whether it is being read from a
// stream or used in a designer. Readers of saved state bracket their work with a
// TComponentReading scope so that the component sees "reading" and then gets its Loaded call.
//
// The owner is a plain reference: a component does not destroy the components it owns; whoever
// creates one keeps it (the control keeps its component for its whole life).
#pragma once

#include <cstdint>

#include "framework/Persistent.h"

namespace corvane {

enum class TComponentState : uint8_t {
  Reading = 0x01,    // published properties are being read from saved state
  Loading = 0x02,    // read, Loaded not yet run
  Designing = 0x04,  // used inside a designer
};

class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override = default;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  const TClassInfo& ClassInfo() const override;
  static const TClassInfo& StaticClassInfo();

  TComponent* Owner() const { return owner_; }
  bool HasState(TComponentState state) const {
    return (state_ & static_cast<uint8_t>(state)) != 0;
  }
  bool IsReading() const { return HasState(TComponentState::Reading); }
  void SetDesigning(bool designing);

  // Marks the start of reading saved state: "reading" and "loading" are set.
  void BeginReading();
  // Reading ended well: "reading" is cleared and Loaded runs (which clears "loading").
  void EndReading();
  // Reading failed: both marks are cleared and Loaded does not run.
  void AbandonReading();

 protected:
  // Runs once after the component's state was read. Overrides call the inherited one first.
  virtual void Loaded();

 private:
  void Include(TComponentState state) { state_ |= static_cast<uint8_t>(state); }
  void Exclude(TComponentState state) { state_ &= static_cast<uint8_t>(~static_cast<uint8_t>(state)); }

  TComponent* owner_;
  uint8_t state_ = 0;
};

// Brackets the reading of one component. Complete() ends it with Loaded; leaving the scope
// without Complete (an exception while reading) abandons it, so the component is not left
// "reading" forever.
class TComponentReading {
 public:
  explicit TComponentReading(TComponent& component) : component_(&component) {
    component.BeginReading();
  }
  ~TComponentReading() {
    if (component_) component_->AbandonReading();
  }
  TComponentReading(const TComponentReading&) = delete;
  TComponentReading& operator=(const TComponentReading&) = delete;

  void Complete() {
    TComponent* component = component_;
    component_ = nullptr;
    component->EndReading();
  }

 private:
  TComponent* component_;
};

}  // namespace corvane
