// The system error codes the simulated network reports. The simulation raises them as
// EOleSysError whose error code is the code itself, as the rest of the service does.
#pragma once

#include <cstdint>
#include <string>

#include "framework/OleSysError.h"

namespace corvane::network {

constexpr uint32_t kFileNotFound = 2;        // ERROR_FILE_NOT_FOUND
constexpr uint32_t kInvalidData = 13;        // ERROR_INVALID_DATA
constexpr uint32_t kBadNetPath = 53;         // ERROR_BAD_NETPATH
constexpr uint32_t kInvalidParameter = 87;   // ERROR_INVALID_PARAMETER
constexpr uint32_t kInvalidLevel = 124;      // ERROR_INVALID_LEVEL
constexpr uint32_t kBadPathname = 161;       // ERROR_BAD_PATHNAME
constexpr uint32_t kMoreData = 234;          // ERROR_MORE_DATA
constexpr uint32_t kNoMoreItems = 259;       // ERROR_NO_MORE_ITEMS
constexpr uint32_t kBadDatabase = 1009;      // ERROR_BADDB
constexpr uint32_t kNoneMapped = 1332;       // ERROR_NONE_MAPPED
constexpr uint32_t kNoSuchDomain = 1355;     // ERROR_NO_SUCH_DOMAIN
constexpr uint32_t kRpcUnavailable = 1722;   // RPC_S_SERVER_UNAVAILABLE
constexpr uint32_t kDcNotFound = 2453;       // NERR_DCNotFound
constexpr uint32_t kNoBrowserServers = 6118; // ERROR_NO_BROWSER_SERVERS_FOUND

[[noreturn]] inline void Fail(uint32_t code, const std::string& message) {
  throw EOleSysError(std::to_string(code) + ": " + message, static_cast<int32_t>(code));
}

}  // namespace corvane::network
