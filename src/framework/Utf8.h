// UTF-16 texts as UTF-8, for output and messages that must not lose a character to an 8-bit
// code page. Needs no Windows header.
#pragma once

#include <string>
#include <string_view>

namespace corvane {

// Appends `text` as UTF-8. A surrogate without its partner, which no character is, becomes
// U+FFFD so that the output stays valid UTF-8.
void AppendUtf8(std::string& out, std::u16string_view text);

// `out` replaced by `text` as UTF-8, its room kept for the next text.
void AssignUtf8(std::string& out, std::u16string_view text);

// `text` as a new UTF-8 string.
std::string ToUtf8(std::u16string_view text);

}  // namespace corvane
