// The proleptic Gregorian calendar that both models, the binding layer and
// the command count their days in, and the floor division it rests on.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace nerith {

struct CivilDate {
  std::int64_t year;
  std::int64_t month;
  std::int64_t day;

  friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

// x = quotient·n + rest with 0 <= rest < n, for n > 0.
struct FloorDivision {
  std::int64_t quotient;
  std::int64_t rest;
};
constexpr FloorDivision floor_divide(std::int64_t x, std::int64_t n) {
  const std::int64_t q = x / n;
  const std::int64_t r = x % n;
  return r < 0 ? FloorDivision{q - 1, r + n} : FloorDivision{q, r};
}

inline constexpr std::int64_t SECONDS_PER_DAY = 86400;

// The day number (days since 1970-01-01) of the UTC day holding t.
constexpr std::int64_t day_of(std::int64_t t) {
  return floor_divide(t, SECONDS_PER_DAY).quotient;
}

// [start, start + 86400) of the UTC day named by a year-month-day text, or
// nothing when the text is not a real proleptic Gregorian date.
std::optional<std::pair<std::int64_t, std::int64_t>> day_bounds_utc(std::string_view date);

// Civil date of a day number (days since 1970-01-01).
CivilDate civil_from_days(std::int64_t days);

// Canonical date text: YYYY-MM-DD, the year zero-padded to four digits.
std::string format_date(const CivilDate& date);

}  // namespace nerith
