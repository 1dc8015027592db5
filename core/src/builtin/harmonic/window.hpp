// The built-in engine's curve over one window, as the extremes finder reads it.
#pragma once

#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "builtin/harmonic/engine.hpp"
#include "common/harmonic/extremes.hpp"
#include "nerith/ports.hpp"

namespace nerith::harmonic::extremes {

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
  // height(times[i]) into out[i] for every i, a block at a time.
  void heights(std::span<const std::int64_t> times, std::span<double> out) const;

 private:
  // The engine takes t − start in i64; only windows wider than 2^63 s need the clamp.
  std::int64_t reachable(std::int64_t t) const {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    if (start_ < 0 && t > start_ + kMax) return start_ + kMax;
    if (start_ > 0 && t < start_ + kMin) return start_ + kMin;
    return t;
  }

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

}  // namespace nerith::harmonic::extremes
