#include "framework/Persistent.h"

#include "framework/ClassError.h"
#include "framework/PropertyInfo.h"

namespace corvane {

void TPersistent::Assign(const TPersistent& source) { source.AssignTo(*this); }

void TPersistent::AssignTo(TPersistent& dest) const {
  RaiseClassError("Cannot assign a " + ClassName() + " to a " + dest.ClassName());
}

const TClassInfo& TPersistent::StaticClassInfo() {
  static const TClassInfo info("TPersistent", nullptr, {});
  return info;
}

const TClassInfo& TPersistent::ClassInfo() const { return StaticClassInfo(); }

const std::string& TPersistent::ClassName() const { return ClassInfo().Name(); }

}  // namespace corvane
