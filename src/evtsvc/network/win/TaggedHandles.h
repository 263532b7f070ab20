// Handle values this module makes up for objects of its own (keys of simulated registries, policy
// handles): a 16-bit tag in the top bits of a pointer-sized value and a serial number below, in
// steps of four as the system's handles go. The system's own handles are small values, and its
// predefined keys (0x80000000 to 0x80000006) carry 0x8000 in those bits, which no tag uses.
// On 32-bit Windows the serial numbers have 14 bits: they come round, passing values still open.
#pragma once

#include <cstdint>
#include <stdexcept>

namespace corvane::network {

constexpr unsigned kTagShift = sizeof(std::uintptr_t) * 8 - 16;
constexpr std::uintptr_t kTagMask = std::uintptr_t{0xFFFF} << kTagShift;
constexpr std::uintptr_t kLastSerial = (std::uintptr_t{1} << (kTagShift - 2)) - 1;

constexpr std::uintptr_t Tag(std::uint16_t tag) { return std::uintptr_t{tag} << kTagShift; }

constexpr bool HasTag(std::uintptr_t value, std::uintptr_t tag) { return (value & kTagMask) == tag; }

// The next value of `tag` after `serial` that `open` (a map keyed by value) does not hold.
template <typename Map>
std::uintptr_t NextTaggedValue(std::uintptr_t tag, std::uintptr_t& serial, const Map& open) {
  for (std::uintptr_t tries = 0; tries < kLastSerial; ++tries) {
    serial = serial >= kLastSerial ? 1 : serial + 1;
    const std::uintptr_t value = tag | (serial << 2);
    if (open.find(value) == open.end()) return value;
  }
  throw std::length_error("every handle value of this kind is in use");
}

}  // namespace corvane::network
