// Water windows of a curve: the crossings of a level, refined to the second
// by bisection on the very curve the predictions come from, and the windows
// they bound. Below-level windows are the complement of the at-or-above ones,
// so the search is written once.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "common/harmonic/extremes.hpp"
#include "nerith/windows.hpp"

namespace nerith::windows {

// Gathers the at-or-above windows of a range [start, end] from its crossings,
// given in time order.
class AboveWindows {
 public:
  AboveWindows(std::int64_t start, bool above_at_start);

  // The water is on the other side from `t` on; a t equal to the current
  // state's start is a crossing at the same second and is merged away.
  void cross(std::int64_t t);
  bool above() const { return above_; }

  // The windows, the last one cut at `end` if the water is still above.
  std::vector<WaterWindow> finish(std::int64_t end) &&;

 private:
  std::int64_t range_start_;
  bool above_;
  std::int64_t since_;  // when the current state began
  std::vector<WaterWindow> windows_;
};

// The windows of [start, end] that `above` leaves out: below the level.
std::vector<WaterWindow> complement(std::span<const WaterWindow> above, std::int64_t start,
                                    std::int64_t end);

// The first second in (a, b] on the far side of `level` from a, when a and b
// are on opposite sides: bisection down to one second.
template <harmonic::extremes::Curve C>
std::int64_t crossing(const C& curve, double level, std::int64_t a, std::int64_t b) {
  const bool above_a = curve.height(a) >= level;
  while (b - a > 1) {
    const std::int64_t m = a + (b - a) / 2;
    ((curve.height(m) >= level) == above_a ? a : b) = m;
  }
  return b;
}

// Feeds `windows` the crossings of one day [start, start + 86400] of a curve,
// from its predicted day: between consecutive points of its 10-minute grid
// and its turning points (their heights as the scan found them), where the
// side changes, the crossing is bisected. The curve is monotone between
// turning points, so no crossing between two points is missed.
template <harmonic::extremes::Curve C>
void add_day(const C& curve, const DayPrediction& day, double level, AboveWindows& windows) {
  bool above_before = windows.above();
  std::int64_t before = day.heights.empty() ? 0 : day.heights.front().time;
  const auto visit = [&](std::int64_t t, double height) {
    const bool above = height >= level;
    if (above != above_before) {
      // At the day's first instant the previous day's curve handed over.
      windows.cross(t == before ? t : crossing(curve, level, before, t));
      above_before = above;
    }
    before = t;
  };
  auto extreme = day.extremes.begin();
  for (const auto& sample : day.heights) {
    for (; extreme != day.extremes.end() && extreme->time < sample.time; ++extreme)
      visit(extreme->time, extreme->height);
    visit(sample.time, sample.height);
  }
}

}  // namespace nerith::windows
