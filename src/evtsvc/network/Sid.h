// Security identifiers as byte strings in the system's layout (revision, sub-authority count,
// 48-bit big-endian authority, little-endian 32-bit sub-authorities), and their text form
// "S-1-5-21-...".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::network {

constexpr size_t kMaxSubAuthorities = 15;

class Sid {
 public:
  Sid() = default;
  Sid(uint64_t authority, std::vector<uint32_t> subAuthorities);

  // nullopt for text that is not a SID, or one with more than 15 sub-authorities.
  static std::optional<Sid> Parse(std::string_view text);
  // nullopt when the bytes are not exactly one well-formed SID.
  static std::optional<Sid> FromBytes(const uint8_t* bytes, size_t size);

  uint64_t Authority() const { return authority_; }
  const std::vector<uint32_t>& SubAuthorities() const { return subAuthorities_; }
  std::vector<uint8_t> Bytes() const;
  std::string Text() const;

  // This SID with one more sub-authority; throws when it already has 15.
  Sid WithRid(uint32_t rid) const;
  // The SID without its last sub-authority, and that sub-authority; nullopt for none.
  std::optional<std::pair<Sid, uint32_t>> SplitRid() const;

  bool operator==(const Sid&) const = default;

 private:
  uint64_t authority_ = 0;
  std::vector<uint32_t> subAuthorities_;
};

}  // namespace corvane::network
