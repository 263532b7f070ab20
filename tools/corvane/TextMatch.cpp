#include "TextMatch.h"

namespace corvane::cli {
namespace {

// The small letter of a capital, or the code point itself.
char32_t Lower(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  if (c >= 0x100 && c <= 0x17F) {
    if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    if (c == 0x178) return 0xFF;
    // Pairs start on even code points except in the two runs that start on odd ones.
    const bool oddRun = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    return ((c & 1) == (oddRun ? 1u : 0u)) ? c + 1 : c;
  }
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;
  if (c == 0x386) return 0x3AC;
  if (c >= 0x388 && c <= 0x38A) return c + 37;
  if (c == 0x38C) return 0x3CC;
  if (c == 0x38E || c == 0x38F) return c + 63;
  if (c >= 0x410 && c <= 0x42F) return c + 32;
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  if (c >= 0xFF21 && c <= 0xFF3A) return c + 32;
  return c;
}

// The code point at `i`, `i` moved past it. A byte that does not start a well-formed sequence
// stands for itself, kept apart from the letters by being placed among the low surrogates.
char32_t Next(std::string_view s, size_t& i) {
  const auto b = static_cast<unsigned char>(s[i]);
  if (b < 0x80) {
    ++i;
    return b;
  }
  const size_t extra = b >= 0xF0 && b < 0xF5   ? 3
                       : b >= 0xE0 && b < 0xF0 ? 2
                       : b >= 0xC2 && b < 0xE0 ? 1
                                               : 0;
  if (extra == 0 || i + extra >= s.size()) {
    ++i;
    return 0xDC00 + b;
  }
  char32_t c = b & (0x3F >> extra);
  for (size_t k = 1; k <= extra; ++k) {
    const auto t = static_cast<unsigned char>(s[i + k]);
    if ((t & 0xC0) != 0x80) {
      ++i;
      return 0xDC00 + b;
    }
    c = (c << 6) | (t & 0x3F);
  }
  i += extra + 1;
  return c;
}

}  // namespace

void FoldCase(std::string_view utf8, std::u32string& out) {
  out.clear();
  for (size_t i = 0; i < utf8.size();) out += Lower(Next(utf8, i));
}

std::u32string FoldCase(std::string_view utf8) {
  std::u32string out;
  FoldCase(utf8, out);
  return out;
}

bool TWildcard::Matches(std::string_view utf8) const {
  FoldCase(utf8, text_);
  // Greedy, going back only to the last star: linear for patterns with one star, and never
  // worse than the product of the two lengths.
  size_t p = 0, t = 0;
  size_t starP = std::u32string::npos, starT = 0;
  while (t < text_.size()) {
    if (p < pattern_.size() && (pattern_[p] == U'?' || pattern_[p] == text_[t])) {
      ++p;
      ++t;
    } else if (p < pattern_.size() && pattern_[p] == U'*') {
      starP = p++;
      starT = t;
    } else if (starP != std::u32string::npos) {
      p = starP + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (p < pattern_.size() && pattern_[p] == U'*') ++p;
  return p == pattern_.size();
}

bool TSubstring::FoundIn(std::string_view utf8) const {
  FoldCase(utf8, haystack_);
  return haystack_.find(text_) != std::u32string::npos;
}

size_t DisplayWidth(std::string_view utf8) {
  size_t width = 0;
  for (size_t i = 0; i < utf8.size();) {
    const char32_t c = Next(utf8, i);
    const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF && c != 0x303F) ||
                      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                      (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                      (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
    width += wide ? 2 : 1;
  }
  return width;
}

}  // namespace corvane::cli
