// The day and range predictions of any prediction model: the extremes scan
// of a station's curve, the 10-minute grid read from that scan, the
// coefficients, and the run of days. A model plugs in by meeting `Model`:
//   std::optional<Station> find(std::string_view port_id) const;
//   Curve curve(const Station&, std::int64_t start, std::int64_t end) const;
//   void grade(const Station&, std::vector<Extreme>&, std::int64_t start, std::int64_t end) const;
// (the built-in model is in api.cpp).
#pragma once

#include <cmath>
#include <cstdint>
#include <expected>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/harmonic/extremes.hpp"
#include "common/windows.hpp"
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

// Fills `day` (its storage reused) with the extremes and the grid of the day
// [start, start + 86400) of a curve over that day, from one scan of it.
template <harmonic::extremes::Curve C>
void scan_day(const C& curve, std::int64_t start, ports::DayPrediction& day) {
  static_assert(GRID_STEP % harmonic::extremes::SCAN_STEP == 0);
  const std::int64_t end = start + DAY;
  // Every grid instant is also a coarse-scan instant, so the grid is read
  // from the scan's samples.
  day.heights.clear();
  day.heights.reserve(static_cast<std::size_t>(DAY / GRID_STEP + 1));
  std::int64_t next = start;
  harmonic::extremes::find_extremes(curve, day.extremes,
                                    [&](const harmonic::engine::HeightSample& sample) {
                                      if (sample.time != next || next > end) return;
                                      day.heights.push_back(sample);
                                      next += GRID_STEP;
                                    });
}

// The same with the coefficients: the whole day of a station. The grid and
// the scan share one window (the built-in one: arguments at start, node at
// the middle).
template <Model M>
void fill_day(const M& model, const typename M::Station& station, std::int64_t start,
              ports::DayPrediction& day) {
  scan_day(model.curve(station, start, start + DAY), start, day);
  model.grade(station, day.extremes, start, start + DAY);
}

// The day [start, start + 86400) of a station, as a new record.
template <Model M>
ports::DayPrediction day_of(const M& model, const typename M::Station& station, std::string port_id,
                            std::string date, std::int64_t start) {
  ports::DayPrediction day{std::move(port_id), std::move(date), {}, {}};
  fill_day(model, station, start, day);
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

// The first and last day starts of a valid inclusive range, and its length.
struct RangeDays {
  std::int64_t first = 0;
  std::int64_t last = 0;
  std::uint64_t count = 0;  // more than a 32-bit size_t holds, for the longest ranges
};

// Both dates checked: InvalidDate carrying the first or the last text, or
// "first > last" when the range runs backwards.
std::expected<RangeDays, ApiError> range_days(std::string_view first, std::string_view last);

// The days of a range one at a time: `begin(count)` before the first, then
// `each(day)` for every day in date order, with one record refilled for every
// day (`each` may move out of it). Errors come before any call. Either
// callback returns false to stop there: no later day is worked out.
template <Model M, class Begin, class Each>
std::expected<void, ApiError> for_each_day(const M& model, std::string_view port_id,
                                           std::string_view first, std::string_view last,
                                           Begin&& begin, Each&& each) {
  // Both dates are checked before the port.
  const auto days = range_days(first, last);
  if (!days) return std::unexpected(days.error());
  // A station is never removed or changed once listed, so the one found for
  // the first day serves every day.
  const auto station = model.find(port_id);
  if (!station) return fail(ApiError::Kind::PortNotFound, std::string(port_id));
  if (!begin(days->count)) return {};
  ports::DayPrediction day;
  for (std::int64_t s = days->first; s <= days->last; s += DAY) {
    day.port_id.assign(port_id);
    day.date = format_date(civil_from_days(s / DAY));
    fill_day(model, *station, s, day);
    if (!each(day)) break;
  }
  return {};
}

// The days of a range handed to `sink`, until it stops.
template <Model M>
std::expected<void, ApiError> stream_days(const M& model, std::string_view port_id,
                                          std::string_view first, std::string_view last,
                                          DaySink& sink) {
  return for_each_day(
      model, port_id, first, last,
      [&](std::uint64_t count) {
        sink.begin(count);
        return !sink.stopped();
      },
      [&](const ports::DayPrediction& day) {
        sink.day(day);
        return !sink.stopped();
      });
}

template <Model M>
std::expected<std::vector<ports::DayPrediction>, ApiError> predict_range(const M& model,
                                                                         std::string_view port_id,
                                                                         std::string_view first,
                                                                         std::string_view last) {
  // No limit on the number of days. The list is sized up front so that a range
  // too large for memory fails at once with std::bad_alloc.
  std::vector<ports::DayPrediction> days;
  auto done = for_each_day(
      model, port_id, first, last,
      [&](std::uint64_t count) {
        // On a 32-bit target the count may not fit size_t: it fails as it would
        // on a 64-bit one, instead of reserving a wrapped-around size.
        if (count > days.max_size()) throw std::bad_alloc();
        days.reserve(static_cast<std::size_t>(count));
        return true;
      },
      [&](ports::DayPrediction& day) {
        days.push_back(std::move(day));
        return true;
      });
  if (!done) return std::unexpected(std::move(done.error()));
  return days;
}

// The water windows of a range: each day scanned on its own curve (without
// grading), its crossings of `level` bisected on that curve; windows that run
// over midnight are joined. Dates and errors are for_each_day's.
template <Model M>
std::expected<std::vector<windows::WaterWindow>, ApiError> water_windows(
    const M& model, std::string_view port_id, std::string_view first, std::string_view last,
    double level, windows::Side side) {
  if (std::isnan(level)) return fail(ApiError::Kind::InvalidLevel, "NaN");
  const auto days = range_days(first, last);
  if (!days) return std::unexpected(days.error());
  const auto station = model.find(port_id);
  if (!station) return fail(ApiError::Kind::PortNotFound, std::string(port_id));
  const std::int64_t start = days->first;
  const std::int64_t end = days->last + DAY;
  std::optional<windows::AboveWindows> above;
  ports::DayPrediction day;
  for (std::int64_t s = days->first; s <= days->last; s += DAY) {
    const auto curve = model.curve(*station, s, s + DAY);
    if (!above) above.emplace(start, curve.height(start) >= level);
    scan_day(curve, s, day);
    windows::add_day(curve, day, level, *above);
  }
  std::vector<windows::WaterWindow> found = std::move(*above).finish(end);
  if (side == windows::Side::Above) return found;
  return windows::complement(found, start, end);
}

}  // namespace nerith::api::assembly
