#include "nerith/harmonic/extremes.hpp"

#include <algorithm>
#include <limits>
#include <numeric>

namespace nerith::harmonic::extremes {
namespace {

constexpr std::int64_t kScanStep = 300;     // coarse grid, also the initial half-bracket
constexpr std::int64_t kSlopeProbe = 60;    // the slope at m is the sign of H(m + 60) − H(m)
constexpr std::int64_t kBracketStop = 30;   // bisection ends at a bracket this wide or less
constexpr std::int64_t kMinSpacing = 1800;  // reported extremes are at least this far apart

constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

__extension__ using Wide = __int128;

// t + d, saturated to the i64 range; exact for every instant a real window reaches.
std::int64_t offset(std::int64_t t, std::int64_t d) {
  if (d > 0 && t > kMax - d) return kMax;
  if (d < 0 && t < kMin - d) return kMin;
  return t + d;
}

// (a + b) / 2 truncated toward zero, as if the sum could not overflow.
std::int64_t half_sum(std::int64_t a, std::int64_t b) {
  return static_cast<std::int64_t>((Wide{a} + b) / 2);
}

}  // namespace

// The list is sorted, so the nearest kept instant is always the last one kept.
void thin_extremes(std::vector<Extreme>& sorted) {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    if (kept > 0) {
      const std::uint64_t gap = static_cast<std::uint64_t>(sorted[i].time) -
                                static_cast<std::uint64_t>(sorted[kept - 1].time);
      if (gap < static_cast<std::uint64_t>(kMinSpacing)) continue;
    }
    sorted[kept++] = sorted[i];
  }
  sorted.resize(kept);
}

WindowArguments WindowArguments::at(std::int64_t start, std::int64_t end) {
  // std::midpoint rounds toward start: start + (end − start) / 2 for end >= start.
  return {start, engine::AstronomicalArguments::at(start),
          engine::NodalCorrections::at(std::midpoint(start, end))};
}

double WindowArguments::height(std::int64_t t,
                               std::span<const ports::HarmonicConstituent> constituents,
                               double mean_level) const {
  // The engine takes t − start in i64; only windows wider than 2^63 s need the clamp.
  if (start < 0 && t > start + kMax) t = start + kMax;
  if (start > 0 && t < start + kMin) t = start + kMin;
  return engine::height_with_nodal(t, start, constituents, astro, nodal, mean_level);
}

std::vector<Extreme> find_extremes(std::int64_t start, std::int64_t end,
                                   std::span<const ports::HarmonicConstituent> constituents,
                                   double mean_level) {
  if (end < start) return {};
  return find_extremes(WindowArguments::at(start, end), end, constituents, mean_level);
}

std::vector<Extreme> find_extremes(const WindowArguments& window, std::int64_t end,
                                   std::span<const ports::HarmonicConstituent> constituents,
                                   double mean_level) {
  const std::int64_t start = window.start;
  std::vector<Extreme> found;
  if (end < start) return found;
  auto height = [&](std::int64_t t) { return window.height(t, constituents, mean_level); };

  // Coarse scan over u = start, start + 300, … <= end. H is pure, so each
  // step reuses its neighbours' samples instead of evaluating them again.
  std::int64_t u = start;
  double h1 = height(offset(u, -kScanStep));
  double h2 = height(u);
  double h3 = height(offset(u, kScanStep));
  while (true) {
    // Strict comparisons: a flat top or bottom, or a NaN, is no candidate.
    const bool high = h1 < h2 && h2 > h3;
    const bool low = h1 > h2 && h3 > h2;
    if (high || low) {
      std::int64_t lo = offset(u, -kScanStep);
      std::int64_t hi = offset(u, kScanStep);
      const bool rising0 = h1 < h2;
      do {
        const std::int64_t m = half_sum(lo, hi);
        const bool rising = height(m) < height(offset(m, kSlopeProbe));
        (rising == rising0 ? lo : hi) = m;
      } while (hi - lo > kBracketStop);
      const std::int64_t tx = half_sum(lo, hi);
      if (start <= tx && tx < end) found.push_back({tx, height(tx), h2 > h1, std::nullopt});
    }
    if (static_cast<std::uint64_t>(end) - static_cast<std::uint64_t>(u) <
        static_cast<std::uint64_t>(kScanStep)) {
      break;  // u <= end: the unsigned difference is exact
    }
    u += kScanStep;
    h1 = h2;
    h2 = h3;
    h3 = height(offset(u, kScanStep));
  }

  std::stable_sort(found.begin(), found.end(),
                   [](const Extreme& a, const Extreme& b) { return a.time < b.time; });
  thin_extremes(found);
  return found;
}

}  // namespace nerith::harmonic::extremes
