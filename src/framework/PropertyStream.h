// The saved state of a component: its published, stored properties (owned sub-objects such as
// credentials included, property by property) in a byte format of this library's own. Writer
// and reader work only from the class's published-property metadata, so a class saves what it
// publishes without code of its own.
//
// Layout, all numbers little-endian:
//   header (16 bytes): "CVPS", version (u16), reserved (u16, 0), payload size (u32),
//                      CRC-32 of the payload (u32)
//   payload:           class name (u16 length + bytes), then the object
//   object:            entry count (u16), then per entry: name (u16 length + bytes),
//                      kind (u8, a TTypeKind), value
//   value:             string: u32 length + bytes; boolean: u8 0 or 1; integer: i32;
//                      class: a nested object
//
// The reader distrusts its input: every length is checked against the bytes left, the checksum
// catches damage a length check cannot, and nothing reaches the component until the whole
// stream was found sound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "framework/Component.h"

namespace corvane {

constexpr size_t kPropertyStreamHeaderSize = 16;
constexpr uint16_t kPropertyStreamVersion = 1;
// A header announcing more is refused before anything is allocated for it.
constexpr uint32_t kMaxPropertyStreamPayload = 1u << 20;
// The code of every refusal (the storage system's "corrupt" result, so that it passes the COM
// edge as the result itself).
constexpr int32_t kPropertyStreamCorrupt = static_cast<int32_t>(0x80030109u);

// The saved state of `component`: every published property that can be restored (readable and
// writable, or an object whose own properties are saved in turn) and is marked stored.
std::vector<uint8_t> WritePropertyStream(TComponent& component);

// The size of the whole saved state, header included, from its first kPropertyStreamHeaderSize
// bytes; lets a caller read exactly one saved state from a longer stream. A foreign or damaged
// header is refused (EOleSysError, kPropertyStreamCorrupt).
size_t PropertyStreamSize(std::span<const uint8_t> header);

// Restores `component` from `bytes`, which must hold exactly one saved state of its class. The
// properties are set inside the component's reading bracket, so that its Loaded runs once they
// all are. A foreign, damaged, truncated or over-long stream is refused (EOleSysError,
// kPropertyStreamCorrupt) before any property is set. An error raised by a setter or by Loaded
// itself is passed on as it is.
void ReadPropertyStream(TComponent& component, std::span<const uint8_t> bytes);

}  // namespace corvane
