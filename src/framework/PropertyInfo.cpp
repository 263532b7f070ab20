#include "framework/PropertyInfo.h"

namespace corvane {

const char* TypeKindName(TTypeKind kind) {
  switch (kind) {
    case TTypeKind::String: return "string";
    case TTypeKind::Boolean: return "boolean";
    case TTypeKind::Integer: return "integer";
    case TTypeKind::Class: return "class";
    case TTypeKind::Method: return "method";
  }
  return "unknown";
}

TPropValue TPropInfo::GetValue(TPersistent& object) const {
  if (!Get) RaiseClassError("Property " + Name + " cannot be read");
  return Get(object);
}

void TPropInfo::SetValue(TPersistent& object, const TPropValue& value) const {
  if (!Set) RaiseClassError("Property " + Name + " is read-only");
  Set(object, value);
}

TClassInfo::TClassInfo(std::string name, const TClassInfo* parent,
                       std::vector<TPropInfo> ownProperties)
    : name_(std::move(name)), parent_(parent), own_(std::move(ownProperties)) {
  if (parent_) all_ = parent_->all_;
  // own_ is never resized after this point, so these pointers stay valid.
  for (const TPropInfo& prop : own_) all_.push_back(&prop);
}

bool TClassInfo::InheritsFrom(const TClassInfo& other) const {
  for (const TClassInfo* info = this; info; info = info->parent_) {
    if (info == &other) return true;
  }
  return false;
}

}  // namespace corvane
