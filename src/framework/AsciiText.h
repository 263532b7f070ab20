// Letter case and line ends of 8-bit text, the same in every locale: names of keys, sources,
// properties and accounts compare by ASCII letters only, and bytes above 127 (letters of some
// code page) compare as they are.
#pragma once

#include <string_view>

namespace corvane {

constexpr unsigned char AsciiLower(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// Byte order after folding ASCII capitals to small letters: -1, 0 or 1.
constexpr int CompareAsciiIgnoringCase(std::string_view a, std::string_view b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const unsigned char ca = AsciiLower(static_cast<unsigned char>(a[i]));
    const unsigned char cb = AsciiLower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

constexpr bool SameAsciiIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareAsciiIgnoringCase(a, b) == 0;
}

// The text without the carriage returns and line feeds at its end (system messages end in one).
constexpr std::string_view WithoutLineEnds(std::string_view text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

}  // namespace corvane
