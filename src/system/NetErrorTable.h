// The network-management error texts (codes 2102 to 2690). Needs no Windows header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

struct NetErrorRow {
  int32_t code;
  const char* text;
};

constexpr size_t kNetErrorRowCount = 285;
extern const NetErrorRow kNetErrorTable[kNetErrorRowCount];

// The stored text for a code, or nothing when the table has no row for it. A row may hold an
// empty text (2137), which is not the same as no row.
std::optional<std::string_view> FindNetErrorText(int32_t code);

// The message for a code from 2100 up: the code, ": " and the stored text, or "Unknown error".
std::string NetTableMessage(int32_t code);

}  // namespace corvane
