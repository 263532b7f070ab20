// What the user sees of a page's layout, for every page's tests.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/forms/Form.h"

namespace corvane::pages::test {

// Every visible element lies wholly inside its parent's client area, and no two visible elements
// of one parent overlap (bevels, lines under a row, aside).
void ExpectSoundLayout(const forms::TForm& form);
// The elements the keyboard reaches among the windows of `parent` (the form when null), in
// their order.
std::vector<std::string> TabStops(forms::TForm& form, HWND parent = nullptr);

}  // namespace corvane::pages::test
