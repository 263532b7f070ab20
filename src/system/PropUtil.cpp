#include "system/PropUtil.h"

#include <cctype>

namespace corvane {

namespace {

bool SameInCapitals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

const TPropInfo* FindPublishedProperty(const TClassInfo& classInfo, std::string_view name) {
  const size_t dot = name.find('.');
  if (dot != std::string_view::npos) {
    const TPropInfo* head = FindPublishedProperty(classInfo, name.substr(0, dot));
    if (!head) return nullptr;
    if (head->Kind != TTypeKind::Class || !head->PropClass) return head;
    return FindPublishedProperty(*head->PropClass, name.substr(dot + 1));
  }
  for (const TPropInfo* prop : classInfo.Properties()) {
    if (SameInCapitals(prop->Name, name)) return prop;
  }
  return nullptr;
}

}  // namespace corvane
