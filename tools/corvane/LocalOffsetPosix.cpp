// The caller's time zone on a POSIX system: the C library's, from TZ or the system's setting.
#include <time.h>

#include <stdexcept>

#include "TimeArgument.h"

namespace corvane::cli {

int32_t LocalOffset(int64_t utcSeconds) {
  const time_t t = static_cast<time_t>(utcSeconds);
  tm local{};
  if (localtime_r(&t, &local) == nullptr)
    throw std::runtime_error("the local time zone could not be read");
  return static_cast<int32_t>(local.tm_gmtoff);
}

}  // namespace corvane::cli
