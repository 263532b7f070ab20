// Lookup of a published property by a dotted path ("LogonAs.UserName"), letter case ignored.
#pragma once

#include <string_view>

#include "framework/PropertyInfo.h"

namespace corvane {

// The published property of `classInfo` (inherited ones included, in list order) named `name`.
// A dotted path descends through class-typed properties; a path that goes on past a property
// of another type yields that property itself. Null when nothing matches.
const TPropInfo* FindPublishedProperty(const TClassInfo& classInfo, std::string_view name);

}  // namespace corvane
