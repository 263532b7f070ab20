// The one exception kind of the library: a message, a 32-bit error code and a help context.
// Raised everywhere inside; turned into an HRESULT with error information at the COM edge,
// where a negative code becomes the result and any other E_UNEXPECTED.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <utility>

namespace corvane {

class EOleSysError : public std::exception {
 public:
  EOleSysError(std::string message, int32_t errorCode, int32_t helpContext = 0)
      : message_(std::move(message)), errorCode_(errorCode), helpContext_(helpContext) {}

  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const noexcept { return message_; }
  int32_t ErrorCode() const noexcept { return errorCode_; }
  int32_t HelpContext() const noexcept { return helpContext_; }

 private:
  std::string message_;
  int32_t errorCode_;
  int32_t helpContext_;
};

// Error code carried by system and security-authority failures.
constexpr int32_t kSystemErrorCode = 11;
// Error code carried by network-management failures (0x800407D0 as a signed value).
constexpr int32_t kNetErrorCode = static_cast<int32_t>(0x800407D0u);

}  // namespace corvane
