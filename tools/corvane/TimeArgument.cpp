#include "TimeArgument.h"

#include <cctype>
#include <utility>

namespace corvane::cli {
namespace {

// Reads `count` digits at `at` into `value`, `at` moved past them.
bool Digits(std::string_view text, size_t& at, size_t count, int& value) {
  if (at + count > text.size()) return false;
  value = 0;
  for (size_t i = 0; i < count; ++i) {
    const char c = text[at + i];
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    value = value * 10 + (c - '0');
  }
  at += count;
  return true;
}

bool Skip(std::string_view text, size_t& at, char c) {
  if (at < text.size() && text[at] == c) {
    ++at;
    return true;
  }
  return false;
}

bool LeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && LeapYear(y) ? 29 : days[m - 1];
}

}  // namespace

int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yoe = year - era * 400;
  const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

std::optional<TWrittenTime> ParseWrittenTime(std::string_view text) {
  size_t at = 0;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (!Digits(text, at, 4, year) || !Skip(text, at, '-') || !Digits(text, at, 2, month) ||
      !Skip(text, at, '-') || !Digits(text, at, 2, day)) {
    return std::nullopt;
  }
  if (year < 1601 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) {
    return std::nullopt;
  }
  TWrittenTime time;
  if (Skip(text, at, 'T') || Skip(text, at, 't') || Skip(text, at, ' ')) {
    if (!Digits(text, at, 2, hour)) return std::nullopt;
    if (Skip(text, at, ':')) {
      if (!Digits(text, at, 2, minute)) return std::nullopt;
      if (Skip(text, at, ':')) {
        if (!Digits(text, at, 2, second)) return std::nullopt;
        if (Skip(text, at, '.') || Skip(text, at, ',')) {
          const size_t start = at;
          for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at) {
            if (text[at] != '0') time.fraction = true;
          }
          if (at == start) return std::nullopt;
        }
      }
    }
    if (hour > 23 || minute > 59 || second > 59) return std::nullopt;
    if (Skip(text, at, 'Z') || Skip(text, at, 'z')) {
      time.offset = 0;
    } else if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
      const int sign = text[at++] == '-' ? -1 : 1;
      int offsetHours = 0, offsetMinutes = 0;
      if (!Digits(text, at, 2, offsetHours)) return std::nullopt;
      if (Skip(text, at, ':')) {
        if (!Digits(text, at, 2, offsetMinutes)) return std::nullopt;
      } else if (at < text.size() && !Digits(text, at, 2, offsetMinutes)) {
        return std::nullopt;
      }
      if (offsetHours > 23 || offsetMinutes > 59) return std::nullopt;
      time.offset = sign * (offsetHours * 3600 + offsetMinutes * 60);
    }
  }
  if (at != text.size()) return std::nullopt;
  time.wallSeconds = DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
  return time;
}

int64_t FirstSecondAtOrAfter(const TWrittenTime& time, const TOffsetAt& offsetAt) {
  const int64_t wall = time.wallSeconds + (time.fraction ? 1 : 0);
  if (time.offset) return wall - *time.offset;
  // The instants whose clock could read `wall`: one per offset the zone has around it.
  bool found = false;
  int64_t first = 0;
  for (const int64_t probe : {wall - 86400, wall, wall + 86400}) {
    const int64_t candidate = wall - offsetAt(probe);
    if (offsetAt(candidate) == wall - candidate && (!found || candidate < first)) {
      first = candidate;
      found = true;
    }
  }
  if (found) return first;
  // A time the clock jumped over: the change lies between the two readings, where the offset
  // before it and the one after it each put the time; it is found by halving.
  int64_t low = wall - offsetAt(wall - 86400), high = wall - offsetAt(wall + 86400);
  if (low > high) std::swap(low, high);
  const int32_t before = offsetAt(low);
  while (high - low > 1) {
    const int64_t middle = low + (high - low) / 2;
    (offsetAt(middle) == before ? low : high) = middle;
  }
  return high;
}

}  // namespace corvane::cli
