// Owners of the user-interface resources forms hold: windows, GDI objects, hooks, memory DCs.
#pragma once

#include <windows.h>

#include "framework/UniqueResource.h"

namespace corvane::forms {

// A window this code created; destroying it destroys its child windows too.
using TUniqueWindow = TUniqueResource<HWND, TNullTraits<HWND, &DestroyWindow>>;
using TUniqueFont = TUniqueResource<HFONT, TNullTraits<HFONT, &DeleteObject>>;
using TUniqueBrush = TUniqueResource<HBRUSH, TNullTraits<HBRUSH, &DeleteObject>>;
using TUniqueBitmap = TUniqueResource<HBITMAP, TNullTraits<HBITMAP, &DeleteObject>>;
using TUniqueHook = TUniqueResource<HHOOK, TNullTraits<HHOOK, &UnhookWindowsHookEx>>;
// A memory device context (CreateCompatibleDC), not one borrowed with GetDC.
using TUniqueMemoryDc = TUniqueResource<HDC, TNullTraits<HDC, &DeleteDC>>;

}  // namespace corvane::forms
