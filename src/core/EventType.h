// The severity of an event: an ordinal inside the components, the system's bit values at the
// system and automation boundaries.
#pragma once

#include <cstdint>

namespace corvane {

enum class TEventType : uint8_t {
  Success = 0,
  Error = 1,
  Warning = 2,
  Information = 3,
  AuditSuccess = 4,
  AuditFailure = 5,
};

// Only the low 16 bits count (the record's field is 16 bits wide); any value that is not one of
// the six system values, combinations included, is taken as success.
constexpr TEventType SystemToEventType(uint32_t value) {
  switch (value & 0xFFFF) {
    case 1: return TEventType::Error;
    case 2: return TEventType::Warning;
    case 4: return TEventType::Information;
    case 8: return TEventType::AuditSuccess;
    case 16: return TEventType::AuditFailure;
    default: return TEventType::Success;
  }
}

// Ordinals beyond the six known ones give 0 (success).
constexpr uint16_t EventTypeToSystem(TEventType type) {
  switch (type) {
    case TEventType::Error: return 1;
    case TEventType::Warning: return 2;
    case TEventType::Information: return 4;
    case TEventType::AuditSuccess: return 8;
    case TEventType::AuditFailure: return 16;
    default: return 0;
  }
}

}  // namespace corvane
