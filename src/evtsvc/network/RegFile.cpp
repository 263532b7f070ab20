#include "RegFile.h"

#include <optional>
#include <vector>

#include "NameText.h"
#include "NetworkErrors.h"

namespace corvane::network {
namespace {

constexpr std::u16string_view kVersion5 = u"Windows Registry Editor Version 5.00";
constexpr std::u16string_view kVersion4 = u"REGEDIT4";
constexpr size_t kMaxValueNameLength = 16383;

constexpr std::u16string_view kLocalMachine = u"HKEY_LOCAL_MACHINE";
constexpr std::u16string_view kOtherRoots[] = {u"HKEY_CLASSES_ROOT", u"HKEY_CURRENT_USER",
                                               u"HKEY_USERS", u"HKEY_CURRENT_CONFIG",
                                               u"HKEY_DYN_DATA", u"HKEY_PERFORMANCE_DATA"};

[[noreturn]] void Bad(size_t line, const std::string& what) {
  Fail(kBadDatabase, "registry file line " + std::to_string(line) + ": " + what);
}

bool StartsWithIgnoringCase(std::u16string_view text, std::u16string_view prefix) {
  return text.size() >= prefix.size() && SameName(text.substr(0, prefix.size()), prefix);
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// 1 to 8 hex digits.
std::optional<uint32_t> HexNumber(std::u16string_view text) {
  if (text.empty() || text.size() > 8) return std::nullopt;
  uint32_t value = 0;
  for (char16_t c : text) {
    const int digit = HexDigit(c);
    if (digit < 0) return std::nullopt;
    value = (value << 4) | static_cast<uint32_t>(digit);
  }
  return value;
}

std::u16string DecodeText(const uint8_t* bytes, size_t size, const TEightBitDecoder& decode8) {
  if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    if (size % 2 != 0) Fail(kBadDatabase, "registry file: UTF-16 text with an odd number of bytes");
    return FromUtf16Le(bytes + 2, size - 2);
  }
  if (size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
    Fail(kBadDatabase, "registry file: big-endian UTF-16 is not a registry export");
  }
  std::string_view text(reinterpret_cast<const char*>(bytes), size);
  if (text.starts_with("\xEF\xBB\xBF")) {
    text.remove_prefix(3);
  } else if (text.starts_with("REGEDIT4")) {
    return decode8(text);
  }
  try {
    return FromUtf8(text);
  } catch (const EOleSysError&) {
    Fail(kBadDatabase, "registry file: the text is neither UTF-16 nor UTF-8");
  }
}

std::vector<std::u16string_view> SplitLines(std::u16string_view text) {
  std::vector<std::u16string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' || text[i] == u'\n') {
      lines.push_back(text.substr(start, i - start));
      if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      start = i + 1;
    }
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

class TParser {
 public:
  TParser(std::vector<std::u16string_view> lines, RegKey& root, const TEightBitDecoder& decode8)
      : lines_(std::move(lines)), root_(root), decode8_(decode8) {}

  void Run() {
    if (lines_.empty()) Fail(kBadDatabase, "registry file: empty");
    const std::u16string_view header = Trim(lines_[0]);
    if (header == kVersion4) {
      version4_ = true;
    } else if (header != kVersion5) {
      Bad(1, "not a registry export (no \"Windows Registry Editor Version 5.00\" or \"REGEDIT4\")");
    }
    for (index_ = 1; index_ < lines_.size(); ++index_) {
      const std::u16string_view line = Trim(lines_[index_]);
      if (line.empty() || line.front() == u';') continue;
      if (line.front() == u'[') {
        KeyLine(line);
      } else if (line.front() == u'"' || line.front() == u'@') {
        ValueLine(line);
      } else {
        Bad(LineNumber(), "neither a key, a value nor a comment");
      }
    }
  }

 private:
  enum class Target { None, Key, Skipped };

  size_t LineNumber() const { return index_ + 1; }

  void KeyLine(std::u16string_view line) {
    if (line.back() != u']') Bad(LineNumber(), "a key line must end with ']'");
    std::u16string_view path = line.substr(1, line.size() - 2);
    const bool remove = !path.empty() && path.front() == u'-';
    if (remove) path.remove_prefix(1);
    const size_t slash = path.find(u'\\');
    const std::u16string_view rootName = path.substr(0, slash);
    const std::u16string_view below =
        slash == std::u16string_view::npos ? std::u16string_view() : path.substr(slash + 1);
    std::vector<std::u16string_view> names;
    if (!SplitKeyPath(below, names) || (slash != std::u16string_view::npos && names.empty())) {
      Bad(LineNumber(), "the key path has an empty or overlong name");
    }
    if (!SameName(rootName, kLocalMachine)) {
      bool known = false;
      for (std::u16string_view other : kOtherRoots) known = known || SameName(rootName, other);
      if (!known) Bad(LineNumber(), "unknown root key \"" + ToUtf8(rootName) + "\"");
      target_ = Target::Skipped;
      return;
    }
    if (remove) {
      if (names.empty()) Bad(LineNumber(), "a root key cannot be deleted");
      RegKey* parent = &root_;
      for (size_t i = 0; i + 1 < names.size() && parent; ++i) {
        parent = parent->FindSubkey(names[i]);
      }
      if (parent) parent->DeleteSubkey(names.back());
      // Values listed under a deleted key are ignored, as the editor ignores them.
      target_ = Target::Skipped;
      return;
    }
    RegKey* key = &root_;
    for (std::u16string_view name : names) key = &key->CreateSubkey(name);
    current_ = key;
    target_ = Target::Key;
  }

  // A quoted string starting at text[at]; returns its contents and moves `at` past it.
  std::u16string Quoted(std::u16string_view text, size_t& at) {
    std::u16string result;
    for (size_t i = at + 1; i < text.size(); ++i) {
      const char16_t c = text[i];
      if (c == u'"') {
        at = i + 1;
        return result;
      }
      if (c == u'\\') {
        if (i + 1 >= text.size() || (text[i + 1] != u'\\' && text[i + 1] != u'"')) {
          Bad(LineNumber(), "only \\\\ and \\\" may follow a backslash inside quotes");
        }
        ++i;
      }
      result.push_back(text[i]);
    }
    Bad(LineNumber(), "a quoted name or text has no closing quote");
  }

  void ValueLine(std::u16string_view line) {
    if (target_ == Target::None) Bad(LineNumber(), "a value before the first key");
    const size_t valueLine = LineNumber();
    std::u16string name;
    size_t at = 1;
    if (line.front() == u'"') {
      at = 0;
      name = Quoted(line, at);
      if (name.size() > kMaxValueNameLength) Bad(valueLine, "value name longer than 16383 characters");
    }
    std::u16string_view rest = TrimLeft(line.substr(at));
    if (rest.empty() || rest.front() != u'=') Bad(valueLine, "'=' expected after the value name");
    rest = TrimLeft(rest.substr(1));

    uint32_t type = kRegSz;
    std::vector<uint8_t> data;
    if (!rest.empty() && rest.front() == u'"') {
      size_t end = 0;
      const std::u16string text = Quoted(rest, end);
      if (!Trim(rest.substr(end)).empty()) Bad(valueLine, "text after the closing quote");
      data = TextValueData(text);
    } else if (rest == u"-") {
      if (target_ == Target::Key) current_->DeleteValue(name);
      return;
    } else if (StartsWithIgnoringCase(rest, u"dword:")) {
      const auto number = HexNumber(rest.substr(6));
      if (!number) Bad(valueLine, "dword: takes 1 to 8 hex digits");
      type = kRegDword;
      for (int shift = 0; shift < 32; shift += 8) data.push_back(static_cast<uint8_t>(*number >> shift));
    } else if (StartsWithIgnoringCase(rest, u"hex:")) {
      type = kRegBinary;
      data = HexBytes(rest.substr(4), valueLine);
    } else if (StartsWithIgnoringCase(rest, u"hex(")) {
      const size_t close = rest.find(u"):");
      const auto number = close == std::u16string_view::npos ? std::nullopt : HexNumber(rest.substr(4, close - 4));
      if (!number) Bad(valueLine, "hex(N): takes a type of 1 to 8 hex digits");
      type = *number;
      data = HexBytes(rest.substr(close + 2), valueLine);
      if (version4_ && (type == kRegSz || type == kRegExpandSz || type == kRegMultiSz)) {
        // The editor of that version wrote these types in its 8-bit code page.
        const std::string narrow(data.begin(), data.end());
        const std::string wide = ToUtf16LeBytes(decode8_(narrow));
        data.assign(wide.begin(), wide.end());
      }
    } else {
      Bad(valueLine, "unrecognised value data");
    }
    if (target_ == Target::Key) current_->SetValue(name, type, std::move(data));
  }

  // Comma-separated bytes of one or two hex digits; a backslash at the end of a line continues
  // the list on the next line.
  std::vector<uint8_t> HexBytes(std::u16string_view first, size_t valueLine) {
    std::u16string joined(Trim(first));
    while (!joined.empty() && joined.back() == u'\\') {
      joined.pop_back();
      if (index_ + 1 >= lines_.size()) Bad(valueLine, "a continued value ends the file");
      ++index_;
      joined += Trim(lines_[index_]);
    }
    std::vector<uint8_t> bytes;
    std::u16string_view text = Trim(joined);
    if (text.empty()) return bytes;
    // A comma left before the last continuation ends the list without a byte after it.
    if (text.back() == u',') text.remove_suffix(1);
    for (;;) {
      const size_t comma = text.find(u',');
      const std::u16string_view token = Trim(text.substr(0, comma));
      const auto byte = token.size() <= 2 ? HexNumber(token) : std::nullopt;
      if (!byte) Bad(LineNumber(), "hex data takes bytes of one or two hex digits separated by commas");
      bytes.push_back(static_cast<uint8_t>(*byte));
      if (comma == std::u16string_view::npos) return bytes;
      text.remove_prefix(comma + 1);
    }
  }

  std::vector<std::u16string_view> lines_;
  RegKey& root_;
  const TEightBitDecoder& decode8_;
  size_t index_ = 0;
  bool version4_ = false;
  Target target_ = Target::None;
  RegKey* current_ = nullptr;
};

}  // namespace

void ApplyRegFile(const uint8_t* bytes, size_t size, RegKey& localMachine,
                  const TEightBitDecoder& decode8) {
  const std::u16string text = DecodeText(bytes, size, decode8);
  TParser(SplitLines(text), localMachine, decode8).Run();
}

}  // namespace corvane::network
