#include "system/PropUtil.h"

#include "framework/AsciiText.h"

namespace corvane {

const TPropInfo* FindPublishedProperty(const TClassInfo& classInfo, std::string_view name) {
  const size_t dot = name.find('.');
  if (dot != std::string_view::npos) {
    const TPropInfo* head = FindPublishedProperty(classInfo, name.substr(0, dot));
    if (!head) return nullptr;
    if (head->Kind != TTypeKind::Class || !head->PropClass) return head;
    return FindPublishedProperty(*head->PropClass, name.substr(dot + 1));
  }
  for (const TPropInfo* prop : classInfo.Properties()) {
    if (SameAsciiIgnoringCase(prop->Name, name)) return prop;
  }
  return nullptr;
}

}  // namespace corvane
