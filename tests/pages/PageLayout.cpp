#include "PageLayout.h"

#include <gtest/gtest.h>

#include "framework/forms/Element.h"

namespace corvane::pages::test {

void ExpectSoundLayout(const forms::TForm& form) {
  const auto& elements = form.Elements();
  for (size_t i = 0; i < elements.size(); ++i) {
    const forms::TElement& element = *elements[i];
    if (!IsWindowVisible(element.Handle())) continue;
    const HWND parent = GetParent(element.Handle());
    RECT room{};
    GetClientRect(parent, &room);
    const forms::TBounds b = element.Bounds();
    const RECT box{b.left, b.top, b.left + b.width, b.top + b.height};
    EXPECT_TRUE(box.left >= 0 && box.top >= 0 && box.right <= room.right && box.bottom <= room.bottom)
        << element.Name() << " reaches outside its parent";
    for (size_t j = i + 1; j < elements.size(); ++j) {
      const forms::TElement& other = *elements[j];
      if (!IsWindowVisible(other.Handle()) || GetParent(other.Handle()) != parent) continue;
      // A bevel draws only a line along the bottom of its bounds, which may span the row above.
      if (element.Kind() == forms::TElementKind::Bevel || other.Kind() == forms::TElementKind::Bevel) continue;
      const forms::TBounds o = other.Bounds();
      const RECT otherBox{o.left, o.top, o.left + o.width, o.top + o.height};
      RECT common{};
      EXPECT_FALSE(IntersectRect(&common, &box, &otherBox)) << element.Name() << " overlaps " << other.Name();
    }
  }
}

std::vector<std::string> TabStops(forms::TForm& form, HWND parent) {
  std::vector<std::string> names;
  for (HWND child = GetWindow(parent != nullptr ? parent : form.Handle(), GW_CHILD);
       child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    const forms::TElement* element = form.FindElement(child);
    const bool focusable = (GetWindowLongA(child, GWL_STYLE) & WS_TABSTOP) != 0 ||
                           (GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) != 0;
    if (element != nullptr && focusable && child == element->Handle())
      names.push_back(element->Name());
  }
  return names;
}

}  // namespace corvane::pages::test
