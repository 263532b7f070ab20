#include "framework/Component.h"

#include "framework/PropertyInfo.h"

namespace corvane {

TComponent::TComponent(TComponent* owner) : owner_(owner) {}

const TClassInfo& TComponent::StaticClassInfo() {
  static const TClassInfo info("TComponent", &TPersistent::StaticClassInfo(), {});
  return info;
}

const TClassInfo& TComponent::ClassInfo() const { return StaticClassInfo(); }

void TComponent::SetDesigning(bool designing) {
  if (designing) {
    Include(TComponentState::Designing);
  } else {
    Exclude(TComponentState::Designing);
  }
}

void TComponent::BeginReading() {
  Include(TComponentState::Reading);
  Include(TComponentState::Loading);
}

void TComponent::EndReading() {
  Exclude(TComponentState::Reading);
  Loaded();
}

void TComponent::AbandonReading() {
  Exclude(TComponentState::Reading);
  Exclude(TComponentState::Loading);
}

void TComponent::Loaded() { Exclude(TComponentState::Loading); }

}  // namespace corvane
