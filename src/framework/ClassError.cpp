#include "framework/ClassError.h"

#include "framework/OleSysError.h"

namespace corvane {

void RaiseClassError(const std::string& message) { throw EOleSysError(message, kClassErrorCode); }

void RaiseListIndexError(int64_t index) {
  RaiseClassError("List index out of bounds (" + std::to_string(index) + ")");
}

}  // namespace corvane
