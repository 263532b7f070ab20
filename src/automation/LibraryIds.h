// The identifiers of the two type libraries that the automation objects take their type
// information from. Containers store them: they never change.
#pragma once

#include <windows.h>

namespace corvane {

// The control library embedded in Corvane.ocx.
constexpr GUID kCorvaneLibid = {0x564F24F5, 0xD8BA, 0x47CF, {0x81, 0x7E, 0x11, 0x16, 0x12, 0xE1, 0x8C, 0xA8}};
// Its locale (English, United States), under which it is registered and looked up: a lookup
// falls back to the neutral locale but never from it.
constexpr LCID kCorvaneLocale = 0x409;
// "VuvazeRUridazorar.tlb", shipped beside it; locale neutral.
constexpr GUID kPersistentLibid = {0x66AFC8C9, 0xA80D, 0x4252, {0x83, 0x3A, 0x7C, 0xDE, 0x87, 0x52, 0x7C, 0xA7}};

}  // namespace corvane
