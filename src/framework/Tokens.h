// Tokens of a text: the maximal runs of characters outside a delimiter set, counted from 1. A
// text that begins with delimiters (a message that opens with blank lines) starts at its first
// token, not at an empty one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace corvane {

// The 1-based position in `text` where token `n` starts, or 0 when there are fewer tokens.
size_t TokenStart(int n, std::string_view text, std::string_view delimiters);
// Token `n` of `text`, or the empty string when there are fewer tokens.
std::string TokenAt(int n, std::string_view text, std::string_view delimiters);

}  // namespace corvane
