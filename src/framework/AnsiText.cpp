#include "framework/AnsiText.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "framework/OleSysError.h"

namespace corvane {
namespace ansi_detail {

int CheckedLength(size_t length) {
  if (length > static_cast<size_t>(INT_MAX)) {
    throw EOleSysError("String too long to convert", static_cast<int32_t>(E_INVALIDARG));
  }
  return static_cast<int>(length);
}

void RaiseConversionFailure() {
  DWORD error = GetLastError();
  if (error == ERROR_SUCCESS) error = ERROR_INTERNAL_ERROR;
  throw EOleSysError(std::to_string(error) + ": string conversion failed",
                     static_cast<int32_t>(HRESULT_FROM_WIN32(error)));
}

}  // namespace ansi_detail

namespace {

bool IsAscii(std::wstring_view text) {
  return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x80; });
}

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The code page's bytes for `text`, characters it cannot hold given as it gives them.
std::string Narrow(std::wstring_view text) {
  const int length = ansi_detail::CheckedLength(text.size());
  if (length == 0) return {};
  const int needed = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) ansi_detail::RaiseConversionFailure();
  std::string result(static_cast<size_t>(needed), '\0');
  if (WideCharToMultiByte(CP_ACP, 0, text.data(), length, result.data(), needed, nullptr, nullptr) !=
      needed) {
    ansi_detail::RaiseConversionFailure();
  }
  return result;
}

// The first character that does not come back, in UTF-16 units from 0 (a surrogate pair is
// one character), and its length in units. Characters are tried one by one: the code pages
// keep no state between characters.
struct TUnheld {
  size_t at;
  size_t units;
};

TUnheld FirstUnheld(std::wstring_view text) {
  for (size_t at = 0; at < text.size();) {
    const size_t units = IsHighSurrogate(text[at]) && at + 1 < text.size() && IsLowSurrogate(text[at + 1]) ? 2 : 1;
    const std::wstring_view character = text.substr(at, units);
    if (AnsiToWide(Narrow(character)) != character) return {at, units};
    at += units;
  }
  return {text.size(), 0};
}

char32_t CodeAt(std::wstring_view text, const TUnheld& unheld) {
  const char32_t first = text[unheld.at];
  if (unheld.units == 1) return first;
  return 0x10000 + ((first - 0xD800) << 10) + (char32_t{text[unheld.at + 1]} - 0xDC00);
}

[[noreturn]] void Refuse(std::wstring_view text, std::string_view what, std::string_view outcome, bool secret) {
  const TUnheld unheld = FirstUnheld(text);
  const std::string codePage = "code page " + std::to_string(GetACP());
  std::string message(what);
  if (unheld.units == 0) {
    // Only if the code page converted a string otherwise than its characters one by one.
    message += " cannot hold this text: " + codePage + " gives it otherwise.";
  } else {
    const char32_t code = CodeAt(text, unheld);
    const std::string position = "character " + std::to_string(unheld.at + 1);
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code));
    message += " cannot hold " + (secret ? position : std::string(name) + " (" + position + ")") + ": ";
    message += code >= 0xD800 && code <= 0xDFFF ? std::string("half of a surrogate pair is not a character.")
                                                : codePage + " has no such character.";
  }
  if (!outcome.empty()) message.append(" ").append(outcome);
  throw EOleSysError(message, kSystemErrorCode);
}

}  // namespace

std::wstring AnsiToWide(std::string_view text) {
  std::wstring result;
  AnsiToWideInto(text, [&](int size) {
    result.resize(static_cast<size_t>(size));
    return result.data();
  });
  return result;
}

std::optional<std::string> ExactAnsi(std::wstring_view text) {
  // ASCII is the same in every ANSI code page, and most text is ASCII.
  if (IsAscii(text)) return std::string(text.begin(), text.end());
  std::string narrow = Narrow(text);
  if (AnsiToWide(narrow) != text) return std::nullopt;
  return narrow;
}

std::string WideToAnsi(std::wstring_view text, std::string_view what, std::string_view outcome) {
  std::optional<std::string> narrow = ExactAnsi(text);
  if (!narrow) Refuse(text, what, outcome, false);
  return std::move(*narrow);
}

std::string SecretToAnsi(std::wstring_view text, std::string_view what) {
  std::optional<std::string> narrow = ExactAnsi(text);
  if (!narrow) Refuse(text, what, {}, true);
  return std::move(*narrow);
}

std::string WideToAnsiLossy(std::wstring_view text) {
  if (IsAscii(text)) return std::string(text.begin(), text.end());
  return Narrow(text);
}

}  // namespace corvane
