#include "system/TextLimits.h"

#include <windows.h>

#include <climits>
#include <string>

#include "framework/AnsiText.h"
#include "framework/SystemError.h"

namespace corvane {

namespace {

[[noreturn]] void Refuse(std::string_view what, std::string_view problem,
                         std::string_view outcome) {
  std::string message(what);
  message += problem;
  if (!outcome.empty()) message.append(" ").append(outcome);
  RaiseSystemError(message);
}

// The UTF-16 units the system makes of `text`. A byte of any ANSI code page makes at most one.
size_t SystemCharacters(std::string_view text) {
  if (text.size() > INT_MAX) return text.size();
  return AnsiToWide(text).size();
}

}  // namespace

void RequireAtMost(size_t size, size_t limit, std::string_view what, std::string_view unit,
                   std::string_view outcome) {
  if (size <= limit) return;
  Refuse(what,
         " can hold at most " + std::to_string(limit) + " " + std::string(unit) +
             "; this one has " + std::to_string(size) + ".",
         outcome);
}

void RequireSystemText(std::string_view text, size_t maxCharacters, std::string_view what,
                       std::string_view outcome) {
  if (text.find('\0') != std::string_view::npos) {
    Refuse(what,
           " cannot hold a NUL character (code 0): the system would read only the part before"
           " it.",
           outcome);
  }
  // Counting is needed only when the bytes alone exceed the limit.
  if (text.size() > maxCharacters) {
    RequireAtMost(SystemCharacters(text), maxCharacters, what, "characters", outcome);
  }
}

}  // namespace corvane
