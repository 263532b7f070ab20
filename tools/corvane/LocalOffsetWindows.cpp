// The caller's time zone on Windows: the system's, with the rules of each year where it keeps
// them.
#include <windows.h>

#include <stdexcept>

#include "TimeArgument.h"

namespace corvane::cli {

int32_t LocalOffset(int64_t utcSeconds) {
  // FILETIME counts 100 ns from 1601-01-01.
  constexpr int64_t kFrom1601 = 11644473600;
  const uint64_t ticks = static_cast<uint64_t>(utcSeconds + kFrom1601) * 10000000u;
  FILETIME utcFile{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME utc, local;
  DYNAMIC_TIME_ZONE_INFORMATION zone;
  TIME_ZONE_INFORMATION rules;
  if (!FileTimeToSystemTime(&utcFile, &utc) ||
      GetDynamicTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID ||
      !GetTimeZoneInformationForYear(utc.wYear, &zone, &rules) ||
      !SystemTimeToTzSpecificLocalTime(&rules, &utc, &local)) {
    throw std::runtime_error("the local time zone could not be read");
  }
  FILETIME localFile;
  if (!SystemTimeToFileTime(&local, &localFile))
    throw std::runtime_error("the local time zone could not be read");
  const uint64_t localTicks =
      (static_cast<uint64_t>(localFile.dwHighDateTime) << 32) | localFile.dwLowDateTime;
  return static_cast<int32_t>((static_cast<int64_t>(localTicks) - static_cast<int64_t>(ticks)) /
                              10000000);
}

}  // namespace corvane::cli
