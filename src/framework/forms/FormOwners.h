// Owners of the user-interface resources forms hold: the framework's owners under the names the
// forms use, and the one kind only forms hold (hooks).
#pragma once

#include <windows.h>

#include "framework/UniqueResource.h"
#include "framework/WinHandle.h"

namespace corvane::forms {

// A window this code created; destroying it destroys its child windows too.
using TUniqueWindow = TWindowOwner;
using TUniqueFont = TGdiObject<HFONT>;
using TUniqueBrush = TGdiObject<HBRUSH>;
using TUniqueBitmap = TGdiObject<HBITMAP>;
using TUniqueHook = TUniqueResource<HHOOK, TNullTraits<HHOOK, &UnhookWindowsHookEx>>;
// A memory device context (CreateCompatibleDC), not one borrowed with GetDC.
using TUniqueMemoryDc = TMemoryDC;

}  // namespace corvane::forms
