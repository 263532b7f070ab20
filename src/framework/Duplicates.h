// What a sorted list does with an entry equal to one it already holds.
#pragma once

#include <cstdint>

namespace corvane {

enum class TDuplicates : uint8_t {
  Ignore,  // the new entry is dropped; the existing one's position is reported
  Accept,  // equal entries stand side by side
  Error,   // adding raises an error
};

}  // namespace corvane
