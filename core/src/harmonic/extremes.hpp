// High and low waters of one station inside a time window.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "harmonic/engine.hpp"
#include "nerith/ports.hpp"
#include "nerith/ports/day_prediction.hpp"

namespace nerith::harmonic::extremes {

// Spacing of the coarse scan, in seconds.
inline constexpr std::int64_t SCAN_STEP = 300;

// Everything the heights of one window are evaluated against: the
// astronomical arguments at its start (also the reference instant) and the
// node longitude at its middle, start + (end − start) / 2, with the port's
// terms prepared against them.
class Window {
 public:
  Window(std::int64_t start, std::int64_t end,
         std::span<const ports::HarmonicConstituent> constituents, double mean_level);

  std::int64_t start() const { return start_; }
  std::int64_t end() const { return end_; }

  // Height in metres at t; defined for every t.
  double height(std::int64_t t) const;

 private:
  std::int64_t start_;
  std::int64_t end_;
  engine::WindowTerms terms_;
};

// Turning points of the predicted curve in the half-open window [start, end):
// a 300 s coarse scan, bisection on the sign of the slope down to 30 s, a
// stable sort by time, then thinning to at least 1800 s between entries.
// Empty when end <= start.
std::vector<Extreme> find_extremes(std::int64_t start, std::int64_t end,
                                   std::span<const ports::HarmonicConstituent> constituents,
                                   double mean_level);

// The same search on a prepared window. When `coarse` is given, every coarse
// sample the scan evaluates is appended to it in time order: start − 300,
// start, start + 300, … up to 300 s past the last scanned instant <= end.
std::vector<Extreme> find_extremes(const Window& window,
                                   std::vector<engine::HeightSample>* coarse = nullptr);

// Drops, from a list sorted by time, every entry less than 1800 s after an
// entry kept before it; high and low waters alike.
void thin_extremes(std::vector<Extreme>& sorted);

}  // namespace nerith::harmonic::extremes
