// Hints of all forms on a thread: one show-hint event and one hide pause, as an application
// has them. The event may change the text and position of a hint or refuse it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace corvane::forms {

class TElement;

struct THintInfo {
  TElement* element = nullptr;  // the element whose hint is about to show
  POINT position{};             // top left of the hint, in screen coordinates
};

using TShowHintEvent = std::function<void(std::string& text, bool& canShow, THintInfo& info)>;

// Installs the thread's show-hint event and returns the one it replaces (empty: none).
TShowHintEvent SetShowHintHandler(TShowHintEvent handler);
const TShowHintEvent& ShowHintHandler();

// How long a hint stays up, in milliseconds (default 2500).
void SetHintHidePause(UINT milliseconds);
UINT HintHidePause();
// How long the mouse must rest on an element before its hint shows (default 500).
void SetHintPause(UINT milliseconds);
UINT HintPause();

}  // namespace corvane::forms
