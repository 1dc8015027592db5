// High and low waters of one station inside a time window.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "nerith/harmonic/engine.hpp"
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

// What every height of one window is evaluated against: the astronomical
// arguments at the window's start (also the reference instant) and the node
// longitude at its middle, start + (end − start) / 2.
struct WindowArguments {
  std::int64_t start = 0;
  engine::AstronomicalArguments astro;
  engine::NodalCorrections nodal;

  static WindowArguments at(std::int64_t start, std::int64_t end);

  // Height in metres at t against these arguments. Defined for every t.
  double height(std::int64_t t, std::span<const ports::HarmonicConstituent> constituents,
                double mean_level) const;
};

// Turning points of the predicted curve in the half-open window [start, end):
// a 300 s coarse scan, bisection on the sign of the slope down to 30 s, a
// stable sort by time, then thinning to at least 1800 s between entries.
// Empty when end <= start.
std::vector<Extreme> find_extremes(std::int64_t start, std::int64_t end,
                                   std::span<const ports::HarmonicConstituent> constituents,
                                   double mean_level);

// The same search with the window's arguments already prepared
// (`window` must be WindowArguments::at(start, end)).
std::vector<Extreme> find_extremes(const WindowArguments& window, std::int64_t end,
                                   std::span<const ports::HarmonicConstituent> constituents,
                                   double mean_level);

// Drops, from a list sorted by time, every entry less than 1800 s after an
// entry kept before it; high and low waters alike.
void thin_extremes(std::vector<Extreme>& sorted);

}  // namespace nerith::harmonic::extremes
