// Text compared with letter case ignored, as the filters of count, dump and stats compare names
// and insertion strings. Texts are UTF-8 (both readers convert to it first), so that a name
// matches the same records whichever reader read them. Needs no Windows header.
#pragma once

#include <string>
#include <string_view>

namespace corvane::cli {

// The code points of a UTF-8 text with capital letters made small: the Latin, Greek and
// Cyrillic letters and the full-width Latin ones (the case pairs of those scripts). Bytes that are
// not UTF-8 stand for themselves.
std::u32string FoldCase(std::string_view utf8);
// The same into `out`, whose room is kept for the next text.
void FoldCase(std::string_view utf8, std::u32string& out);

// A name pattern: "*" stands for any run of characters, "?" for one, letter case ignored.
class TWildcard {
 public:
  explicit TWildcard(std::string_view pattern) : pattern_(FoldCase(pattern)) {}
  bool Matches(std::string_view utf8) const;

 private:
  std::u32string pattern_;
  mutable std::u32string text_;  // the folded text, its room reused
};

// A text looked for inside others, letter case ignored.
class TSubstring {
 public:
  explicit TSubstring(std::string_view text) : text_(FoldCase(text)) {}
  bool FoundIn(std::string_view utf8) const;

 private:
  std::u32string text_;
  mutable std::u32string haystack_;
};

// How many columns a UTF-8 text takes on a terminal: two for the wide characters of East Asian
// scripts, one for any other.
size_t DisplayWidth(std::string_view utf8);

}  // namespace corvane::cli
