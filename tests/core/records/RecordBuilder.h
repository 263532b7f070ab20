// Builds raw 8-bit event records laid out as the reading call delivers them, and patches their
// fields, so that the decoder can be fed good and damaged records alike.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace corvane::testing {

struct RecordFields {
  uint32_t recordNumber = 1;
  uint32_t timeGenerated = 0;
  uint32_t timeWritten = 0;
  uint32_t eventId = 0;
  uint16_t eventType = 4;
  uint16_t eventCategory = 0;
  std::string source = "Source";
  std::string computer = "HOST";
  std::vector<std::string> strings;
  std::vector<uint8_t> sid;
  std::vector<uint8_t> data;
};

// Field offsets for patching.
namespace at {
constexpr size_t Length = 0, TimeGenerated = 12, EventType = 24, NumStrings = 26,
                 StringOffset = 36, UserSidLength = 40, UserSidOffset = 44, DataLength = 48,
                 DataOffset = 52, Names = 56;
}  // namespace at

inline void Put16(std::vector<uint8_t>& bytes, size_t offset, uint16_t value) {
  bytes.at(offset) = static_cast<uint8_t>(value);
  bytes.at(offset + 1) = static_cast<uint8_t>(value >> 8);
}

inline void Put32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) bytes.at(offset + i) = static_cast<uint8_t>(value >> (8 * i));
}

inline uint32_t Get32(const std::vector<uint8_t>& bytes, size_t offset) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value |= uint32_t{bytes.at(offset + i)} << (8 * i);
  return value;
}

// Fixed part, names, padding to 4, SID, strings, data, padding to 4, trailing length.
inline std::vector<uint8_t> BuildRecord(const RecordFields& f) {
  std::vector<uint8_t> r(56, 0);
  Put32(r, 4, 0x654c664c);
  Put32(r, 8, f.recordNumber);
  Put32(r, 12, f.timeGenerated);
  Put32(r, 16, f.timeWritten);
  Put32(r, 20, f.eventId);
  Put16(r, 24, f.eventType);
  Put16(r, 26, static_cast<uint16_t>(f.strings.size()));
  Put16(r, 28, f.eventCategory);
  const auto append = [&r](const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    r.insert(r.end(), b, b + n);
  };
  append(f.source.c_str(), f.source.size() + 1);
  append(f.computer.c_str(), f.computer.size() + 1);
  while (r.size() % 4) r.push_back(0);
  Put32(r, at::UserSidLength, static_cast<uint32_t>(f.sid.size()));
  Put32(r, at::UserSidOffset, static_cast<uint32_t>(r.size()));
  append(f.sid.data(), f.sid.size());
  Put32(r, at::StringOffset, static_cast<uint32_t>(r.size()));
  for (const std::string& s : f.strings) append(s.c_str(), s.size() + 1);
  Put32(r, at::DataLength, static_cast<uint32_t>(f.data.size()));
  Put32(r, at::DataOffset, static_cast<uint32_t>(r.size()));
  append(f.data.data(), f.data.size());
  while (r.size() % 4) r.push_back(0);
  r.resize(r.size() + 4);
  Put32(r, 0, static_cast<uint32_t>(r.size()));
  Put32(r, r.size() - 4, static_cast<uint32_t>(r.size()));
  return r;
}

// A heap block of exactly the given bytes, so that the address sanitizer sees any read past it.
class ExactBuffer {
 public:
  explicit ExactBuffer(const std::vector<uint8_t>& bytes, size_t count)
      : size_(count), bytes_(new uint8_t[count ? count : 1]) {
    if (count) std::memcpy(bytes_.get(), bytes.data(), count);
  }
  explicit ExactBuffer(const std::vector<uint8_t>& bytes) : ExactBuffer(bytes, bytes.size()) {}
  const uint8_t* data() const { return bytes_.get(); }
  size_t size() const { return size_; }

 private:
  size_t size_;
  std::unique_ptr<uint8_t[]> bytes_;
};

// S-1-5-18 and a domain account, as stored in records.
inline std::vector<uint8_t> LocalSystemSid() { return {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0}; }
inline std::vector<uint8_t> DomainUserSid(uint32_t rid) {
  std::vector<uint8_t> sid = {1, 5, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0};
  for (uint32_t sub : {0x6041f38au, 0x7525bc21u, 0x28aa6482u, rid}) {
    for (int i = 0; i < 4; ++i) sid.push_back(static_cast<uint8_t>(sub >> (8 * i)));
  }
  return sid;
}

}  // namespace corvane::testing
