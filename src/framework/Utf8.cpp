#include "framework/Utf8.h"

namespace corvane {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

char* PutCodePoint(char* out, char32_t c) {
  if (c < 0x80) {
    *out++ = static_cast<char>(c);
    return out;
  }
  if (c < 0x800) {
    *out++ = static_cast<char>(0xC0 | (c >> 6));
  } else if (c < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (c >> 12));
    *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (c >> 18));
    *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  }
  *out++ = static_cast<char>(0x80 | (c & 0x3F));
  return out;
}

}  // namespace

void AppendUtf8(std::string& out, std::u16string_view text) {
  // Every record of a dump passes its texts through here, and nearly all of them are ASCII:
  // those are narrowed in one pass, the rest written into room for their longest form (three
  // bytes per unit; a pair takes four for its two units) and cut back.
  const size_t start = out.size();
  char16_t any = 0;
  for (char16_t c : text) any |= c;
  if (any < 0x80) {
    out.resize(start + text.size());
    for (size_t i = 0; i < text.size(); ++i) out[start + i] = static_cast<char>(text[i]);
    return;
  }
  out.resize(start + 3 * text.size());
  char* p = out.data() + start;
  for (size_t i = 0; i < text.size();) {
    char32_t c = text[i++];
    if (c < 0x80) {
      *p++ = static_cast<char>(c);
      continue;
    }
    if (IsHighSurrogate(c) && i < text.size() && IsLowSurrogate(text[i])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i++] - 0xDC00);
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      c = kReplacement;
    }
    p = PutCodePoint(p, c);
  }
  out.resize(static_cast<size_t>(p - out.data()));
}

void AssignUtf8(std::string& out, std::u16string_view text) {
  out.clear();
  AppendUtf8(out, text);
}

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  AppendUtf8(out, text);
  return out;
}

}  // namespace corvane
