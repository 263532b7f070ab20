#include "framework/Tokens.h"

namespace corvane {

size_t TokenStart(int n, std::string_view text, std::string_view delimiters) {
  const auto isDelimiter = [&](size_t i) {
    return delimiters.find(text[i]) != std::string_view::npos;
  };
  int count = 0;
  size_t i = 0;
  while (i < text.size() && count != n) {
    while (i < text.size() && isDelimiter(i)) ++i;
    if (i == text.size()) break;
    if (++count == n) return i + 1;
    while (i < text.size() && !isDelimiter(i)) ++i;
  }
  return 0;
}

std::string TokenAt(int n, std::string_view text, std::string_view delimiters) {
  const size_t start = TokenStart(n, text, delimiters);
  if (start == 0) return {};
  const std::string_view rest = text.substr(start - 1);
  return std::string(rest.substr(0, rest.find_first_of(delimiters)));
}

}  // namespace corvane
