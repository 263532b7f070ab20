#include "framework/forms/ErrorDisplay.h"

#include <new>
#include <utility>

namespace corvane::forms {

namespace {

void ShowInMessageBox(const std::string& message) {
  MessageBoxA(GetActiveWindow(), message.c_str(), "Error", MB_OK | MB_ICONERROR);
}

// Forms live on one thread each; a test may watch its own thread's errors without touching
// another thread's.
thread_local TErrorDisplay tDisplay;

std::string CurrentErrorText() {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return "Out of memory";
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return "Unexpected error";
  }
}

}  // namespace

TErrorDisplay SetErrorDisplay(TErrorDisplay display) { return std::exchange(tDisplay, std::move(display)); }

void ShowCurrentError() noexcept {
  try {
    const std::string text = CurrentErrorText();
    if (tDisplay) {
      tDisplay(text);
    } else {
      ShowInMessageBox(text);
    }
  } catch (...) {
    // A display that fails itself has nowhere left to report to.
  }
}

}  // namespace corvane::forms
