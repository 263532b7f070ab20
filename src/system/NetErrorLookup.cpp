#include <algorithm>
#include <string>

#include "system/NetErrorTable.h"

namespace corvane {

std::optional<std::string_view> FindNetErrorText(int32_t code) {
  const auto* end = kNetErrorTable + kNetErrorRowCount;
  const auto* row = std::lower_bound(kNetErrorTable, end, code,
                                     [](const NetErrorRow& r, int32_t c) { return r.code < c; });
  if (row == end || row->code != code) return std::nullopt;
  return std::string_view(row->text);
}

std::string NetTableMessage(int32_t code) {
  const auto text = FindNetErrorText(code);
  return std::to_string(code) + ": " + std::string(text ? *text : "Unknown error");
}

}  // namespace corvane
