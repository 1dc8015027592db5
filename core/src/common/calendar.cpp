#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

#include "nerith/calendar.hpp"

#include "common/assembly.hpp"

// The proleptic Gregorian calendar both models count their days in.
namespace nerith {
namespace {

constexpr std::int64_t kDay = SECONDS_PER_DAY;

// A decimal i32: an optional single '+', then ASCII digits only.
std::optional<std::int32_t> parse_number(std::string_view piece) {
  if (!piece.empty() && piece.front() == '+') piece.remove_prefix(1);
  if (piece.empty() || piece.front() == '-') return std::nullopt;
  std::int32_t value = 0;
  const char* last = piece.data() + piece.size();
  const auto [ptr, ec] = std::from_chars(piece.data(), last, value);
  if (ec != std::errc{} || ptr != last) return std::nullopt;
  return value;
}

// The numbers of a year-month-day text: split at every '-', unparsable
// pieces (empty ones included) skipped. Nothing unless exactly three remain.
std::optional<CivilDate> read_date(std::string_view text) {
  std::int32_t numbers[3];
  int count = 0;
  while (true) {
    const std::size_t dash = text.find('-');
    if (const auto n = parse_number(text.substr(0, dash))) {
      if (count == 3) return std::nullopt;
      numbers[count++] = *n;
    }
    if (dash == std::string_view::npos) break;
    text.remove_prefix(dash + 1);
  }
  if (count != 3) return std::nullopt;
  return CivilDate{numbers[0], numbers[1], numbers[2]};
}

// Julian-day number of a proleptic Gregorian date, shifted so that
// n − 2442110 counts days from 1970-01-01:
// n = ⌊30.6001·(M + 1)⌋ + ⌊365.25·(Y + 4716)⌋ + Y/400 − Y/100 + day,
// with March-based months (January and February count as months 13 and 14).
std::int64_t day_number(std::int32_t year, std::int32_t month, std::int32_t day) {
  // The year has no sign (a '-' separates pieces), so year − 1 cannot overflow.
  const std::int32_t y = month < 3 ? year - 1 : year;
  const std::int32_t m = month < 3 ? month + 12 : month;
  const auto a = static_cast<std::int64_t>(std::floor(static_cast<double>(m + 1) * 30.6001));
  const auto b = static_cast<std::int64_t>(std::floor((static_cast<double>(y) + 4716.0) * 365.25));
  const std::int64_t c = y / 400 - y / 100;
  return a + b + c + day;
}

}  // namespace

std::optional<std::pair<std::int64_t, std::int64_t>> day_bounds_utc(std::string_view date) {
  const std::optional<CivilDate> parsed = read_date(date);
  if (!parsed) return std::nullopt;
  const auto [year, month, day] = *parsed;
  if (month < 1 || month > 12 || day < 1 || day > 31) return std::nullopt;
  // 2442110 × 86400: day number 2442110 is 1970-01-01. Years fit in i32, so
  // n × 86400 stays far inside i64.
  const std::int64_t n =
      day_number(static_cast<std::int32_t>(year), static_cast<std::int32_t>(month),
                 static_cast<std::int32_t>(day));
  const std::int64_t start = n * kDay - 210998304000;
  const std::int64_t end = n * kDay - 210998217600;
  // A day the month does not have comes back as another date.
  if (format_date(civil_from_days(start / kDay)) != format_date(*parsed)) return std::nullopt;
  return std::pair{start, end};
}

// Day number to civil date through the Julian Day Number (1970-01-01 is JDN
// 2440588; a = JDN + 32044), every division truncating toward zero:
// b = (4a + 3) / 146097, c = a − 146097b / 4, e = (4c + 3) / 1461,
// f = c − 1461e / 4, m = (5f + 2) / 153. a can leave i64, so it is held as
// 146097q + s with s small; b and 146097b / 4 are rebuilt from floor divisions
// of the small parts, exact for every day number (c, e, f and m are small).
CivilDate civil_from_days(std::int64_t days) {
  const std::int64_t q = days / 146097;
  const std::int64_t s = days % 146097 + 2472632;
  // 4a + 3 = 146097·4q + (4s + 3); truncation is the floor, plus one when a
  // negative quotient is inexact.
  const auto [w, w_rest] = floor_divide(4 * s + 3, 146097);
  const std::int64_t b_floor = 4 * q + w;
  const std::int64_t b = b_floor + (b_floor < 0 && w_rest != 0 ? 1 : 0);
  // b = 4(q + k) + g, so 146097b / 4 = 146097(q + k) + 146097g / 4, the same way.
  const auto [k, g] = floor_divide(b - 4 * q, 4);
  const std::int64_t c = s - (146097 * k + 146097 * g / 4 + (b < 0 && 146097 * g % 4 != 0 ? 1 : 0));
  const std::int64_t e = (4 * c + 3) / 1461;
  const std::int64_t f = c - (1461 * e) / 4;
  const std::int64_t m = (5 * f + 2) / 153;
  return {100 * b + e - 4800 + m / 10, m + 3 - 12 * (m / 10), f - (153 * m + 2) / 5 + 1};
}

std::string format_date(const CivilDate& date) {
  char text[72];  // three i64 and two separators at most
  const int length =
      std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld", static_cast<long long>(date.year),
                    static_cast<long long>(date.month), static_cast<long long>(date.day));
  return std::string(text, static_cast<std::size_t>(length));
}

namespace assembly {

std::expected<RangeDays, ApiError> range_days(std::string_view first, std::string_view last) {
  const auto first_bounds = day_bounds_utc(first);
  if (!first_bounds) return fail(ApiError::Kind::InvalidDate, std::string(first));
  const auto last_bounds = day_bounds_utc(last);
  if (!last_bounds) return fail(ApiError::Kind::InvalidDate, std::string(last));
  const std::int64_t s0 = first_bounds->first;
  const std::int64_t s1 = last_bounds->first;
  if (s0 > s1) {
    std::string text;
    text.reserve(first.size() + 3 + last.size());
    text.append(first).append(" > ").append(last);
    return fail(ApiError::Kind::InvalidDate, std::move(text));
  }
  return RangeDays{s0, s1, static_cast<std::uint64_t>((s1 - s0) / DAY) + 1};
}

}  // namespace assembly

}  // namespace nerith
