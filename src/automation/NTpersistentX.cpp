#include "automation/NTpersistentX.h"

#include <utility>
#include "system/PropUtil.h"

namespace corvane {

TNTPersistentX::TNTPersistentX(std::unique_ptr<TNTPersistent> component, REFIID eventsIid)
    : TNTPersistentX(*component, std::move(component), eventsIid) {}

TNTPersistentX::TNTPersistentX(TNTPersistent& component, std::unique_ptr<TNTPersistent>&& owned,
                               REFIID eventsIid)
    : TControlBase(std::move(owned), eventsIid), persistent_(component) {}

TNTPersistentX::~TNTPersistentX() = default;

bool TNTPersistentX::IsDesignMode() {
  UniqueVariant userMode;
  if (!ReadAmbient(kAmbientUserMode, userMode)) return false;
  UniqueVariant asBool;
  if (FAILED(VariantChangeType(asBool.put(), const_cast<VARIANT*>(userMode.get()), 0, VT_BOOL))) return false;
  return V_BOOL(asBool.get()) == VARIANT_FALSE;
}

bool TNTPersistentX::HasClassName(const std::string& name) const {
  const std::string& own = Component().ClassName();
  if (own.size() != name.size()) return false;
  for (size_t i = 0; i < own.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(own[i]) != lower(name[i])) return false;
  }
  return true;
}

void TNTPersistentX::OfferStrings(const TStringList& list, std::vector<TPredefinedString>& strings) {
  strings.clear();
  for (int i = 0; i < list.Count(); ++i) {
    strings.push_back({AnsiToWide(list.Get(i)), static_cast<DWORD>(i)});
  }
}

void TNTPersistentX::ValueAt(const TStringList& list, DWORD cookie, UniqueVariant& value) {
  // A cookie this list did not hand out fails with the list's own index error.
  value = AnsiToVariant(list.Get(cookie > INT32_MAX ? -1 : static_cast<int>(cookie)));
}

bool TNTPersistentX::PredefinedStrings(DISPID id, std::vector<TPredefinedString>& strings) {
  if (id != kMachineNameDispid) return TControlBase::PredefinedStrings(id, strings);
  FServerList.reset();
  FServerList = Component().GetServers("");
  OfferStrings(*FServerList, strings);
  return true;
}

bool TNTPersistentX::PredefinedValue(DISPID id, DWORD cookie, UniqueVariant& value) {
  if (id != kMachineNameDispid || !FServerList) return TControlBase::PredefinedValue(id, cookie, value);
  ValueAt(*FServerList, cookie, value);
  return true;
}

void TNTPersistentX::Initialize() { Component().SetOwnerControl(this); }

bool TNTPersistentX::WritesPropertyToBag(const TBagProperty& property) {
  const TPropInfo* published = FindPublishedProperty(Component().ClassInfo(), WideToAnsiLossy(property.Name));
  return published != nullptr && published->Stored;
}

}  // namespace corvane
