// The day and range predictions of any prediction model: the extremes scan
// of a station's curve, the 10-minute grid read from that scan, the
// coefficients, and the run of days. A model plugs in by meeting `Model`:
//   std::optional<Station> find(std::string_view port_id) const;
//   Curve curve(const Station&, std::int64_t start, std::int64_t end) const;
//   void grade(const Station&, std::vector<Extreme>&, std::int64_t start, std::int64_t end) const;
// (the built-in model is in api.cpp).
#pragma once

#include <cstdint>
#include <expected>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "harmonic/extremes.hpp"
#include "nerith/api.hpp"
#include "nerith/ports/day_prediction.hpp"

namespace nerith::api::assembly {

inline constexpr std::int64_t DAY = 86400;
inline constexpr std::int64_t GRID_STEP = 600;  // seconds between the day's heights

inline std::unexpected<ApiError> fail(ApiError::Kind kind, std::string text) {
  return std::unexpected(ApiError{kind, std::move(text)});
}

template <class M>
concept Model = requires(const M& model, std::string_view id, const typename M::Station& station,
                         std::vector<harmonic::extremes::Extreme>& list, std::int64_t t) {
  { model.find(id) } -> std::same_as<std::optional<typename M::Station>>;
  { model.curve(station, t, t) } -> harmonic::extremes::Curve;
  model.grade(station, list, t, t);
};

// The samples at start, start + 600, …, <= end, picked out of a coarse scan
// of the same window: every grid instant is also a scan instant.
std::vector<harmonic::engine::HeightSample> grid_from_scan(
    std::span<const harmonic::engine::HeightSample> coarse, std::int64_t start, std::int64_t end);

// The day [start, start + 86400) of a station: its extremes, its grid and
// the coefficients, from one scan of the model's curve over the day.
template <Model M>
ports::DayPrediction day_of(const M& model, const typename M::Station& station, std::string port_id,
                            std::string date, std::int64_t start) {
  static_assert(GRID_STEP % harmonic::extremes::SCAN_STEP == 0);
  const std::int64_t end = start + DAY;
  ports::DayPrediction day{std::move(port_id), std::move(date), {}, {}};
  // The grid and the scan share one window: arguments at start, node at the middle.
  const auto curve = model.curve(station, start, end);
  std::vector<harmonic::engine::HeightSample> coarse;
  coarse.reserve(static_cast<std::size_t>(DAY / harmonic::extremes::SCAN_STEP + 3));
  day.extremes = harmonic::extremes::find_extremes(curve, &coarse);
  day.heights = grid_from_scan(coarse, start, end);
  model.grade(station, day.extremes, start, end);
  return day;
}

template <Model M>
std::expected<ports::DayPrediction, ApiError> predict_day(const M& model, std::string_view port_id,
                                                          std::string_view date) {
  // The port is checked before the date.
  const auto station = model.find(port_id);
  if (!station) return fail(ApiError::Kind::PortNotFound, std::string(port_id));
  const auto bounds = day_bounds_utc(date);
  if (!bounds) return fail(ApiError::Kind::InvalidDate, std::string(date));
  return day_of(model, *station, std::string(port_id), std::string(date), bounds->first);
}

template <Model M>
std::expected<std::vector<ports::DayPrediction>, ApiError> predict_range(const M& model,
                                                                         std::string_view port_id,
                                                                         std::string_view first,
                                                                         std::string_view last) {
  // Both dates are checked before the port.
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

  // No limit on the number of days. The list is sized up front so that a range
  // too large for memory fails at once with std::bad_alloc.
  std::vector<ports::DayPrediction> days;
  const auto count = static_cast<std::uint64_t>((s1 - s0) / DAY) + 1;
  // On a 32-bit target the count may not fit size_t: it fails as it would
  // on a 64-bit one, instead of reserving a wrapped-around size.
  if (count > days.max_size()) throw std::bad_alloc();
  days.reserve(static_cast<std::size_t>(count));
  for (std::int64_t s = s0; s <= s1; s += DAY) {
    auto day = predict_day(model, port_id, format_date(civil_from_days(s / DAY)));
    if (!day) return std::unexpected(std::move(day.error()));
    days.push_back(std::move(*day));
  }
  return days;
}

}  // namespace nerith::api::assembly
