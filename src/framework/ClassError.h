// Errors of the class library pieces (lists, assignment, property access). They carry no system
// code of their own, so the COM edge reports them as E_UNEXPECTED with the message as description.
#pragma once

#include <cstdint>
#include <string>

namespace corvane {

constexpr int32_t kClassErrorCode = 0;

[[noreturn]] void RaiseClassError(const std::string& message);

// "List index out of bounds (<index>)", the text scripts see for a bad list index.
[[noreturn]] void RaiseListIndexError(int64_t index);

}  // namespace corvane
