#include "Sid.h"

#include <charconv>

#include "NetworkErrors.h"

namespace corvane::network {
namespace {

constexpr uint64_t kMaxAuthority = (uint64_t{1} << 48) - 1;

template <typename T>
std::optional<T> Number(std::string_view text) {
  T value = 0;
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  if (text.empty()) return std::nullopt;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

Sid::Sid(uint64_t authority, std::vector<uint32_t> subAuthorities)
    : authority_(authority), subAuthorities_(std::move(subAuthorities)) {
  if (authority_ > kMaxAuthority || subAuthorities_.size() > kMaxSubAuthorities) {
    Fail(kInvalidParameter, "not a valid security identifier");
  }
}

std::optional<Sid> Sid::Parse(std::string_view text) {
  if (text.size() < 4 || (text[0] != 'S' && text[0] != 's') || text[1] != '-') return std::nullopt;
  text.remove_prefix(2);
  std::vector<std::string_view> parts;
  for (size_t dash; (dash = text.find('-')) != std::string_view::npos;) {
    parts.push_back(text.substr(0, dash));
    text.remove_prefix(dash + 1);
  }
  parts.push_back(text);
  if (parts.size() < 2 || parts[0] != "1" || parts.size() - 2 > kMaxSubAuthorities) {
    return std::nullopt;
  }
  const auto authority = Number<uint64_t>(parts[1]);
  if (!authority || *authority > kMaxAuthority) return std::nullopt;
  std::vector<uint32_t> subs;
  for (size_t i = 2; i < parts.size(); ++i) {
    // Sub-authorities are decimal only.
    if (parts[i].size() > 1 && (parts[i][1] == 'x' || parts[i][1] == 'X')) return std::nullopt;
    const auto sub = Number<uint32_t>(parts[i]);
    if (!sub) return std::nullopt;
    subs.push_back(*sub);
  }
  return Sid(*authority, std::move(subs));
}

std::optional<Sid> Sid::FromBytes(const uint8_t* bytes, size_t size) {
  if (!bytes || size < 8 || bytes[0] != 1 || bytes[1] > kMaxSubAuthorities) return std::nullopt;
  if (size != 8 + 4 * size_t{bytes[1]}) return std::nullopt;
  uint64_t authority = 0;
  for (int i = 2; i < 8; ++i) authority = (authority << 8) | bytes[i];
  std::vector<uint32_t> subs(bytes[1]);
  for (size_t i = 0; i < subs.size(); ++i) {
    const uint8_t* p = bytes + 8 + 4 * i;
    subs[i] = p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t{p[3]} << 24);
  }
  return Sid(authority, std::move(subs));
}

std::vector<uint8_t> Sid::Bytes() const {
  std::vector<uint8_t> bytes = {1, static_cast<uint8_t>(subAuthorities_.size())};
  for (int shift = 40; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(authority_ >> shift));
  for (uint32_t sub : subAuthorities_) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(sub >> shift));
  }
  return bytes;
}

std::string Sid::Text() const {
  std::string text = "S-1-";
  if (authority_ >> 32) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (uint64_t a = authority_; a; a >>= 4) hex.insert(hex.begin(), kDigits[a & 0xF]);
    text += "0x" + std::string(12 - hex.size(), '0') + hex;
  } else {
    text += std::to_string(authority_);
  }
  for (uint32_t sub : subAuthorities_) text += "-" + std::to_string(sub);
  return text;
}

Sid Sid::WithRid(uint32_t rid) const {
  std::vector<uint32_t> subs = subAuthorities_;
  subs.push_back(rid);
  return Sid(authority_, std::move(subs));
}

std::optional<std::pair<Sid, uint32_t>> Sid::SplitRid() const {
  if (subAuthorities_.empty()) return std::nullopt;
  std::vector<uint32_t> subs = subAuthorities_;
  const uint32_t rid = subs.back();
  subs.pop_back();
  return std::make_pair(Sid(authority_, std::move(subs)), rid);
}

}  // namespace corvane::network
