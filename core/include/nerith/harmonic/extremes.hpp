// High and low waters of one station inside a time window.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "nerith/ports.hpp"

namespace nerith::harmonic::extremes {

// One high or low water. `coefficient` is set only on graded high waters.
struct Extreme {
  std::int64_t time = 0;  // Unix seconds, UTC
  double height = 0.0;    // metres
  bool is_high = false;
  std::optional<std::uint8_t> coefficient;

  friend bool operator==(const Extreme&, const Extreme&) = default;
};

// Turning points of the predicted curve in the half-open window [start, end):
// a 300 s coarse scan, bisection on the sign of the slope down to 30 s, a
// stable sort by time, then thinning to at least 1800 s between entries.
std::vector<Extreme> find_extremes(std::int64_t start, std::int64_t end,
                                   std::span<const ports::HarmonicConstituent> constituents,
                                   double mean_level);

}  // namespace nerith::harmonic::extremes
