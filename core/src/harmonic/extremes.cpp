#include "nerith/harmonic/extremes.hpp"

#include <algorithm>
#include <array>
#include <limits>
#include <numeric>

namespace nerith::harmonic::extremes {
namespace {

constexpr std::int64_t kScanStep = SCAN_STEP;  // coarse grid, also the initial half-bracket
constexpr std::int64_t kSlopeProbe = 60;       // the slope at m is the sign of H(m + 60) − H(m)
constexpr std::int64_t kBracketStop = 30;      // bisection ends at a bracket this wide or less
constexpr std::int64_t kMinSpacing = 1800;     // reported extremes are at least this far apart

constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

// t + d, saturated to the i64 range; exact for every instant a real window reaches.
std::int64_t offset(std::int64_t t, std::int64_t d) {
  if (d > 0 && t > kMax - d) return kMax;
  if (d < 0 && t < kMin - d) return kMin;
  return t + d;
}

// (a + b) / 2 truncated toward zero, as if the sum could not overflow: with
// a + b = 2s + r, s = a/2 + b/2 and r = a%2 + b%2 in −2…2, an odd sum rounds
// toward zero, so toward s + 1 when it is negative and s − 1 when positive.
std::int64_t half_sum(std::int64_t a, std::int64_t b) {
  const std::int64_t s = a / 2 + b / 2;
  const std::int64_t r = a % 2 + b % 2;
  if (r == 1 && s < 0) return s + 1;
  if (r == -1 && s > 0) return s - 1;
  return s + r / 2;
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

Window::Window(std::int64_t start, std::int64_t end,
               std::span<const ports::HarmonicConstituent> constituents, double mean_level)
    : start_(start),
      end_(end),
      // std::midpoint rounds toward start: start + (end − start) / 2 for end >= start.
      terms_(start, engine::AstronomicalArguments::at(start),
             engine::NodalCorrections::at(std::midpoint(start, end)), constituents, mean_level) {}

double Window::height(std::int64_t t) const {
  // The engine takes t − start in i64; only windows wider than 2^63 s need the clamp.
  if (start_ < 0 && t > start_ + kMax) t = start_ + kMax;
  if (start_ > 0 && t < start_ + kMin) t = start_ + kMin;
  return terms_.height(t);
}

namespace {

// Heights already known around one candidate: its three coarse samples and
// every instant the bisection has evaluated. H is pure within a window, so an
// instant met again is read back instead of evaluated again (the first
// midpoint is always the candidate itself).
class Probes {
 public:
  explicit Probes(const Window& window) : window_(window) {}

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
  const Window& window_;
  // 3 coarse samples, 2 per halving (at most 5), 1 at the refined instant.
  std::array<engine::HeightSample, 16> known_{};
  std::size_t count_ = 0;
};

// Stable insertion sort by time. Entries come from the scan nearly in order
// (each lies within 300 s of its scan step), so this is linear in practice
// and, unlike std::stable_sort, allocates nothing.
void sort_by_time(std::vector<Extreme>& list) {
  for (std::size_t i = 1; i < list.size(); ++i) {
    const Extreme e = list[i];
    std::size_t j = i;
    for (; j > 0 && list[j - 1].time > e.time; --j) list[j] = list[j - 1];
    list[j] = e;
  }
}

}  // namespace

std::vector<Extreme> find_extremes(std::int64_t start, std::int64_t end,
                                   std::span<const ports::HarmonicConstituent> constituents,
                                   double mean_level) {
  if (end < start) return {};
  return find_extremes(Window(start, end, constituents, mean_level));
}

std::vector<Extreme> find_extremes(const Window& window,
                                   std::vector<engine::HeightSample>* coarse) {
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
      Probes probes(window);
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
