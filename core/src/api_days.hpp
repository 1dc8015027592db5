// The day and range assembly that both models share: one curve gives a
// day's height grid and extremes; a range repeats a day query. Internal to
// the core.
#pragma once

#include <cstdint>
#include <expected>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "harmonic/find_extremes.hpp"
#include "nerith/api.hpp"
#include "nerith/ports/day_prediction.hpp"

namespace nerith::api::days {

inline constexpr std::int64_t DAY = 86400;
inline constexpr std::uint32_t GRID_STEP = 600;

// The samples of a 600 s grid from start to end picked out of a coarse scan
// of the same window. The day has 86400 s, a multiple of both steps, so the
// scan holds every grid instant.
std::vector<harmonic::engine::HeightSample> grid_from_scan(
    std::span<const harmonic::engine::HeightSample> coarse, std::int64_t start, std::int64_t end);

// The day [curve.start(), curve.end()): extremes from one scan of the curve,
// the height grid read from that scan's samples. No coefficients yet.
template <class Curve>
ports::DayPrediction assemble_day(std::string_view port_id, std::string_view date,
                                  const Curve& curve) {
  const std::int64_t start = curve.start();
  const std::int64_t end = curve.end();
  ports::DayPrediction day{std::string(port_id), std::string(date), {}, {}};
  std::vector<harmonic::engine::HeightSample> coarse;
  coarse.reserve(static_cast<std::size_t>((end - start) / harmonic::extremes::SCAN_STEP + 3));
  day.extremes = harmonic::extremes::find_extremes_on(curve, &coarse);
  day.heights = grid_from_scan(coarse, start, end);
  return day;
}

// Every day from first to last through predict_day(id, canonical date),
// with the date checks and errors of api::predict_range.
template <class PredictDay>
std::expected<std::vector<ports::DayPrediction>, ApiError> assemble_range(std::string_view first,
                                                                          std::string_view last,
                                                                          PredictDay predict_day) {
  // Both dates are checked before the port.
  const auto first_bounds = day_bounds_utc(first);
  if (!first_bounds)
    return std::unexpected(ApiError{ApiError::Kind::InvalidDate, std::string(first)});
  const auto last_bounds = day_bounds_utc(last);
  if (!last_bounds)
    return std::unexpected(ApiError{ApiError::Kind::InvalidDate, std::string(last)});
  const std::int64_t s0 = first_bounds->first;
  const std::int64_t s1 = last_bounds->first;
  if (s0 > s1) {
    std::string text;
    text.reserve(first.size() + 3 + last.size());
    text.append(first).append(" > ").append(last);
    return std::unexpected(ApiError{ApiError::Kind::InvalidDate, std::move(text)});
  }
  // No limit on the number of days. The list is sized up front so that a range
  // too large for memory fails at once with std::bad_alloc.
  std::vector<ports::DayPrediction> days;
  days.reserve(static_cast<std::size_t>((s1 - s0) / DAY + 1));
  for (std::int64_t s = s0; s <= s1; s += DAY) {
    auto day = predict_day(format_date(civil_from_days(s / DAY)));
    if (!day) return std::unexpected(std::move(day.error()));
    days.push_back(std::move(*day));
  }
  return days;
}

}  // namespace nerith::api::days
