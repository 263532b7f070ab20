// The window class behind forms and their containers (panels, group boxes): every message a
// control sends its parent ends up in the owning TForm, wherever the control sits.
#pragma once

#include <windows.h>

#include "framework/WindowClass.h"
#include "framework/forms/FormDesign.h"

namespace corvane::forms {

const char* FormWindowClass();

// Raises when the system cannot make the font.
HFONT MakeFont(const TFontDesign& font);

}  // namespace corvane::forms
