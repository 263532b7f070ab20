// The times --after and --before take: an ISO 8601 date, or date and time, in the caller's time
// zone or with its own offset. Needs no Windows header; the caller's zone is asked through
// LocalOffset(), which each build answers from its own system.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace corvane::cli {

// A wall-clock time as written, seconds counted as if the clock ran in UTC.
struct TWrittenTime {
  int64_t wallSeconds = 0;        // since 1970-01-01T00:00:00 of that clock
  bool fraction = false;          // a non-zero fraction of a second followed
  std::optional<int32_t> offset;  // seconds east of UTC, when given ("Z" is 0)
};

// "YYYY-MM-DD", optionally followed by "T" (or a blank) and "hh", "hh:mm" or "hh:mm:ss" with
// an optional fraction, then optionally "Z" or an offset "+hh", "+hh:mm" or "+hhmm" (or "-").
// Years 1601 to 9999. Nothing for anything else, a date that does not exist included.
std::optional<TWrittenTime> ParseWrittenTime(std::string_view text);

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day);

// The zone's offset from UTC (seconds east) at an instant (seconds since 1970, UTC).
using TOffsetAt = std::function<int32_t(int64_t)>;

// The caller's time zone, as this build's system knows it.
int32_t LocalOffset(int64_t utcSeconds);

// The first second at or after the written time, in UTC. A time without an offset is read in
// the zone `offsetAt` describes: where the clock was set back and the time occurs twice, the
// first occurrence; where it was set forward and the time never occurred, the moment of the
// change.
int64_t FirstSecondAtOrAfter(const TWrittenTime& time, const TOffsetAt& offsetAt);

}  // namespace corvane::cli
