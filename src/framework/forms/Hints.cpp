#include "framework/forms/Hints.h"

#include <utility>

namespace corvane::forms {

namespace {

// Forms belong to one thread each, like their windows.
thread_local TShowHintEvent tShowHint;
thread_local UINT tHidePause = 2500;
thread_local UINT tPause = 500;

}  // namespace

TShowHintEvent SetShowHintHandler(TShowHintEvent handler) {
  return std::exchange(tShowHint, std::move(handler));
}
const TShowHintEvent& ShowHintHandler() { return tShowHint; }

void SetHintHidePause(UINT milliseconds) { tHidePause = milliseconds; }
UINT HintHidePause() { return tHidePause; }
void SetHintPause(UINT milliseconds) { tPause = milliseconds; }
UINT HintPause() { return tPause; }

}  // namespace corvane::forms
