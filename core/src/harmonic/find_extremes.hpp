// The extremes search over any height curve: the built-in model's Window
// and the full model's curve share it. Internal to the core.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <vector>

#include "harmonic/extremes.hpp"

namespace nerith::harmonic::extremes {
namespace scan {

inline constexpr std::int64_t kScanStep = SCAN_STEP;  // coarse grid, also the initial half-bracket
inline constexpr std::int64_t kSlopeProbe = 60;  // the slope at m is the sign of H(m + 60) − H(m)
inline constexpr std::int64_t kBracketStop = 30;  // bisection ends at a bracket this wide or less

inline constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
inline constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

__extension__ using Wide = __int128;

// t + d, saturated to the i64 range; exact for every instant a real window reaches.
inline std::int64_t offset(std::int64_t t, std::int64_t d) {
  if (d > 0 && t > kMax - d) return kMax;
  if (d < 0 && t < kMin - d) return kMin;
  return t + d;
}

// (a + b) / 2 truncated toward zero, as if the sum could not overflow.
inline std::int64_t half_sum(std::int64_t a, std::int64_t b) {
  return static_cast<std::int64_t>((Wide{a} + b) / 2);
}

// Heights already known around one candidate: its three coarse samples and
// every instant the bisection has evaluated. H is pure within a window, so an
// instant met again is read back instead of evaluated again (the first
// midpoint is always the candidate itself).
template <class Curve>
class Probes {
 public:
  explicit Probes(const Curve& window) : window_(window) {}

  void add(std::int64_t t, double h) {
    if (count_ < known_.size()) known_[count_++] = {t, h};
  }

  double at(std::int64_t t) {
    for (std::size_t i = 0; i < count_; ++i) {
      if (known_[i].time == t) return known_[i].height;
    }
    const double h = window_.height(t);
    add(t, h);
    return h;
  }

 private:
  const Curve& window_;
  // 3 coarse samples, 2 per halving (at most 5), 1 at the refined instant.
  std::array<engine::HeightSample, 16> known_{};
  std::size_t count_ = 0;
};

// Stable insertion sort by time. Entries come from the scan nearly in order
// (each lies within 300 s of its scan step), so this is linear in practice
// and, unlike std::stable_sort, allocates nothing.
inline void sort_by_time(std::vector<Extreme>& list) {
  for (std::size_t i = 1; i < list.size(); ++i) {
    const Extreme e = list[i];
    std::size_t j = i;
    for (; j > 0 && list[j - 1].time > e.time; --j) list[j] = list[j - 1];
    list[j] = e;
  }
}

}  // namespace scan

// find_extremes on any curve with start(), end() and height(t): the same
// search, sample for sample. height(t) must depend on t alone (a curve may
// reach a value by another route, equal to it within rounding).
template <class Curve>
std::vector<Extreme> find_extremes_on(const Curve& window,
                                      std::vector<engine::HeightSample>* coarse = nullptr) {
  using namespace scan;
  const std::int64_t start = window.start();
  const std::int64_t end = window.end();
  std::vector<Extreme> found;
  if (end < start) return found;
  // About one turning point every 3 hours, and a little room for double tides.
  const std::uint64_t span = static_cast<std::uint64_t>(end) - static_cast<std::uint64_t>(start);
  found.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(span / 10800 + 4, 64)));
  auto sample = [&](std::int64_t t) {
    const double h = window.height(t);
    if (coarse != nullptr) coarse->push_back({t, h});
    return h;
  };

  // Coarse scan over u = start, start + 300, … <= end. Each instant is
  // evaluated once: a step takes its neighbours' samples over.
  std::int64_t u = start;
  double h1 = sample(offset(u, -kScanStep));
  double h2 = sample(u);
  double h3 = sample(offset(u, kScanStep));
  while (true) {
    // Strict comparisons: a flat top or bottom, or a NaN, is no candidate.
    const bool high = h1 < h2 && h2 > h3;
    const bool low = h1 > h2 && h3 > h2;
    if (high || low) {
      std::int64_t lo = offset(u, -kScanStep);
      std::int64_t hi = offset(u, kScanStep);
      Probes<Curve> probes(window);
      probes.add(lo, h1);
      probes.add(u, h2);
      probes.add(hi, h3);
      const bool rising0 = h1 < h2;
      do {
        const std::int64_t m = half_sum(lo, hi);
        const bool rising = probes.at(m) < probes.at(offset(m, kSlopeProbe));
        (rising == rising0 ? lo : hi) = m;
      } while (hi - lo > kBracketStop);
      const std::int64_t tx = half_sum(lo, hi);
      if (start <= tx && tx < end) found.push_back({tx, probes.at(tx), h2 > h1, std::nullopt});
    }
    if (static_cast<std::uint64_t>(end) - static_cast<std::uint64_t>(u) <
        static_cast<std::uint64_t>(kScanStep)) {
      break;  // u <= end: the unsigned difference is exact
    }
    u += kScanStep;
    h1 = h2;
    h2 = h3;
    h3 = sample(offset(u, kScanStep));
  }

  sort_by_time(found);
  thin_extremes(found);
  return found;
}

}  // namespace nerith::harmonic::extremes
