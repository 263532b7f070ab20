// Where errors raised inside window procedures and event handlers end up: nothing may leave a
// window procedure, so every one of them runs its work through GuardWindowCall, which catches
// everything, hands the message to the error display and returns a safe result.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string>

namespace corvane::forms {

// Receives the text of an error no handler caught. The default shows a modal message box with
// an error icon over the active window.
using TErrorDisplay = std::function<void(const std::string& message)>;

// Replaces the display for the calling thread's forms; returns the one it replaces. An empty
// display restores the default.
TErrorDisplay SetErrorDisplay(TErrorDisplay display);

// Shows the error in flight (call only inside a catch block). Never throws.
void ShowCurrentError() noexcept;

template <class Work>
LRESULT GuardWindowCall(Work&& work, LRESULT safeResult) noexcept {
  try {
    return work();
  } catch (...) {
    ShowCurrentError();
    return safeResult;
  }
}

}  // namespace corvane::forms
