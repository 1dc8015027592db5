// A prediction model, written once: the extremes scan of a station's curve,
// the 10-minute grid read from that scan, the coefficients, the run of days
// and the water windows. A model's policy plugs its stations and curve in by
// meeting `Policy`:
//   std::optional<Station> find(std::string_view port_id) const;
//   Curve curve(const Station&, std::int64_t start, std::int64_t end) const;
//   void grade(const Station&, std::vector<Extreme>&, std::int64_t start, std::int64_t end) const;
// and AssembledModel<P> is then the whole model behind nerith::model::Model
// (the built-in policy is in builtin/api.cpp, the full one in full/api.cpp).
#pragma once

#include <cmath>
#include <concepts>
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
#include "nerith/calendar.hpp"
#include "nerith/model.hpp"
#include "nerith/types.hpp"
#include "nerith/windows.hpp"

namespace nerith::assembly {

inline constexpr std::int64_t DAY = SECONDS_PER_DAY;
inline constexpr std::int64_t GRID_STEP = 600;  // seconds between the day's heights

inline std::unexpected<ApiError> fail(ApiError::Kind kind, std::string text) {
  return std::unexpected(ApiError{kind, std::move(text)});
}

template <class M>
concept Policy = requires(const M& model, std::string_view id, const typename M::Station& station,
                          std::vector<harmonic::extremes::Extreme>& list, std::int64_t t) {
  { model.find(id) } -> std::same_as<std::optional<typename M::Station>>;
  { model.curve(station, t, t) } -> harmonic::extremes::Curve;
  model.grade(station, list, t, t);
};

// Fills `day` (its storage reused) with the extremes and the grid of the day
// [start, start + 86400) of a curve over that day, from one scan of it.
template <harmonic::extremes::Curve C>
void scan_day(const C& curve, std::int64_t start, DayPrediction& day) {
  static_assert(GRID_STEP % harmonic::extremes::SCAN_STEP == 0);
  const std::int64_t end = start + DAY;
  // Every grid instant is also a coarse-scan instant, so the grid is read
  // from the scan's samples.
  day.heights.clear();
  day.heights.reserve(static_cast<std::size_t>(DAY / GRID_STEP + 1));
  std::int64_t next = start;
  harmonic::extremes::find_extremes(curve, day.extremes, [&](const HeightSample& sample) {
    if (sample.time != next || next > end) return;
    day.heights.push_back(sample);
    next += GRID_STEP;
  });
}

// The same with the coefficients: the whole day of a station. The grid and
// the scan share one window (the built-in one: arguments at start, node at
// the middle).
template <Policy M>
void fill_day(const M& model, const typename M::Station& station, std::int64_t start,
              DayPrediction& day) {
  scan_day(model.curve(station, start, start + DAY), start, day);
  model.grade(station, day.extremes, start, start + DAY);
}

// The day [start, start + 86400) of a station, as a new record.
template <Policy M>
DayPrediction day_of(const M& model, const typename M::Station& station, std::string port_id,
                     std::string date, std::int64_t start) {
  DayPrediction day{std::move(port_id), std::move(date), {}, {}};
  fill_day(model, station, start, day);
  return day;
}

template <Policy M>
std::expected<DayPrediction, ApiError> predict_day(const M& model, std::string_view port_id,
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
template <Policy M, class Begin, class Each>
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
  DayPrediction day;
  for (std::int64_t s = days->first; s <= days->last; s += DAY) {
    day.port_id.assign(port_id);
    day.date = format_date(civil_from_days(s / DAY));
    fill_day(model, *station, s, day);
    if (!each(day)) break;
  }
  return {};
}

// The days of a range handed to `sink`, until it stops.
template <Policy M>
std::expected<void, ApiError> stream_days(const M& model, std::string_view port_id,
                                          std::string_view first, std::string_view last,
                                          DaySink& sink) {
  return for_each_day(
      model, port_id, first, last,
      [&](std::uint64_t count) {
        sink.begin(count);
        return !sink.stopped();
      },
      [&](const DayPrediction& day) {
        sink.day(day);
        return !sink.stopped();
      });
}

template <Policy M>
std::expected<std::vector<DayPrediction>, ApiError> predict_range(const M& model,
                                                                  std::string_view port_id,
                                                                  std::string_view first,
                                                                  std::string_view last) {
  // No limit on the number of days. The list is sized up front so that a range
  // too large for memory fails at once with std::bad_alloc.
  std::vector<DayPrediction> days;
  auto done = for_each_day(
      model, port_id, first, last,
      [&](std::uint64_t count) {
        // On a 32-bit target the count may not fit size_t: it fails as it would
        // on a 64-bit one, instead of reserving a wrapped-around size.
        if (count > days.max_size()) throw std::bad_alloc();
        days.reserve(static_cast<std::size_t>(count));
        return true;
      },
      [&](DayPrediction& day) {
        days.push_back(std::move(day));
        return true;
      });
  if (!done) return std::unexpected(std::move(done.error()));
  return days;
}

// The water windows of a range: each day scanned on its own curve (without
// grading), its crossings of `level` bisected on that curve; windows that run
// over midnight are joined. Dates and errors are for_each_day's.
template <Policy M>
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
  DayPrediction day;
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

// What a whole model adds to its curve: what it is called and measured from,
// its stations, and its height at one instant (the day's curve does not
// give it: each model has its own reference instants).
template <class P>
concept ModelPolicy = Policy<P> && requires(const P& policy, std::string_view text,
                                            const typename P::Station& station, std::int64_t t) {
  { P::name } -> std::convertible_to<std::string_view>;
  { P::datum } -> std::convertible_to<std::string_view>;
  { policy.attribution() } -> std::convertible_to<std::string_view>;
  { policy.list_ports() } -> std::same_as<std::vector<ports::Port>>;
  { policy.search_ports(text) } -> std::same_as<std::vector<ports::Port>>;
  { policy.details(text) } -> std::same_as<std::optional<model::StationDetails>>;
  { policy.height(station, t) } -> std::same_as<double>;
};

// The model itself: nerith::model::Model over a policy. Each model keeps one
// instance, which its free functions and its binding library call.
template <ModelPolicy P>
class AssembledModel final : public model::Model {
 public:
  std::string_view name() const override { return P::name; }
  std::string_view datum() const override { return P::datum; }
  std::string_view attribution() const override { return policy_.attribution(); }

  std::vector<ports::Port> list_ports() const override { return policy_.list_ports(); }
  std::vector<ports::Port> search_ports(std::string_view query) const override {
    return policy_.search_ports(query);
  }
  std::optional<model::StationDetails> details(std::string_view port_id) const override {
    return policy_.details(port_id);
  }

  std::expected<double, ApiError> height_at(std::string_view port_id,
                                            std::int64_t t) const override {
    const auto station = policy_.find(port_id);
    if (!station) return fail(ApiError::Kind::PortNotFound, std::string(port_id));
    return policy_.height(*station, t);
  }
  std::expected<DayPrediction, ApiError> predict_day(std::string_view port_id,
                                                     std::string_view date) const override {
    return assembly::predict_day(policy_, port_id, date);
  }
  std::expected<std::vector<DayPrediction>, ApiError> predict_range(std::string_view port_id,
                                                                    std::string_view first,
                                                                    std::string_view last) const {
    return assembly::predict_range(policy_, port_id, first, last);
  }
  std::expected<void, ApiError> predict_range(std::string_view port_id, std::string_view first,
                                              std::string_view last, DaySink& sink) const override {
    return stream_days(policy_, port_id, first, last, sink);
  }
  std::expected<std::vector<WaterWindow>, ApiError> water_windows(std::string_view port_id,
                                                                  std::string_view first,
                                                                  std::string_view last,
                                                                  double level,
                                                                  WaterSide side) const override {
    return assembly::water_windows(policy_, port_id, first, last, level, side);
  }

 private:
  P policy_{};
};

}  // namespace nerith::assembly
