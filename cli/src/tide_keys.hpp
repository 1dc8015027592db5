// Which tide a high or low water, or a water window, belongs to: a key that
// stays the same whichever range of days, and whichever model, predicted it,
// so that a calendar event keeps its UID when it is imported again.
#pragma once

#include <cmath>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "nerith/ports.hpp"
#include "nerith/types.hpp"
#include "nerith/windows.hpp"

namespace nerith::cli {

// The cycles of a station's strongest tidal constituent among M2, S2, K1 and
// O1: cycle n peaks at the n-th time its equilibrium argument, less the
// station's phase lag, passes a multiple of 360° after 2000-01-01 12:00 UTC.
// A high water lies near such a peak, hours from the cycle's edges, so two
// models whose waters differ by minutes number them alike.
class TideClock {
 public:
  explicit TideClock(const ports::Port& constants);

  // The cycle whose peak is nearest t (Unix seconds), and the last that
  // peaked at or before t.
  std::int64_t nearest_cycle(std::int64_t t) const { return std::llround(cycles(t)); }
  std::int64_t last_cycle(std::int64_t t) const {
    return static_cast<std::int64_t>(std::floor(cycles(t)));
  }

 private:
  double cycles(std::int64_t t) const;

  double speed_ = 0.0;  // degrees per hour
  double phase_ = 0.0;  // the argument less the phase lag at 2000-01-01 12:00 UTC, degrees
};

// The key of each water of `waters` (in time order): a high water's cycle
// ("38512", then "38512.2" for a second high water in the same cycle), and
// for a low water the key of the high water before it (the last cycle that
// peaked before it when no high water is listed before it).
std::vector<std::string> water_keys(const TideClock& clock, std::span<const Extreme> waters);

// The key of each window (in time order): that of the first water of its
// kind inside it (a high water for a window above the level, a low one
// below), or else of the nearest such water; a key that two windows share
// gets ".2", ".3" on the later ones.
std::vector<std::string> window_keys(std::span<const windows::WaterWindow> windows,
                                     windows::Side side, std::span<const Extreme> waters,
                                     std::span<const std::string> keys);

}  // namespace nerith::cli
