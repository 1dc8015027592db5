// High and low waters of one station inside a time window.
#pragma once

#include <algorithm>
#include <array>
#include <concepts>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "nerith/types.hpp"

namespace nerith::harmonic::extremes {

using Extreme = nerith::Extreme;

// Spacing of the coarse scan, in seconds.
inline constexpr std::int64_t SCAN_STEP = 300;

// A height curve over one window, as the extremes finder reads it: the
// window's bounds and the height in metres at any instant. Another model
// plugs in by giving its own curve type these three members (the built-in
// one is harmonic/window.hpp's Window); find_extremes and the day assembly then work on it
// unchanged.
template <class C>
concept Curve = requires(const C& curve, std::int64_t t) {
  { curve.start() } -> std::same_as<std::int64_t>;
  { curve.end() } -> std::same_as<std::int64_t>;
  { curve.height(t) } -> std::same_as<double>;
};

// A curve may also evaluate many instants at once, with the same results as
// height() one by one; the scan then hands it its coarse instants in blocks.
template <class C>
concept BlockCurve = Curve<C> &&
    requires(const C& curve, std::span<const std::int64_t> times, std::span<double> out) {
  curve.heights(times, out);
};

// A curve may also place its turning points itself: given a coarse instant u
// whose height tops (or bottoms) those at u ∓ 300, turning_point(u, before,
// at, after) returns the turning point's instant and height, and the scan
// takes it instead of bisecting.
template <class C>
concept TurningPointCurve = Curve<C> && requires(const C& curve, std::int64_t t, double h) {
  { curve.turning_point(t, h, h, h) } -> std::same_as<HeightSample>;
};

// The same search on a prepared curve, into `found` (cleared first, its
// storage reused). `on_sample(HeightSample)` sees every coarse sample the
// scan evaluates, in time order: start − 300, start, start + 300, … up to
// 300 s past the last scanned instant <= end.
template <Curve C, class OnSample>
void find_extremes(const C& curve, std::vector<Extreme>& found, OnSample&& on_sample);

// The same, as a new list; when `coarse` is given, every coarse sample is
// appended to it.
template <Curve C>
std::vector<Extreme> find_extremes(const C& curve, std::vector<HeightSample>* coarse = nullptr) {
  std::vector<Extreme> found;
  find_extremes(curve, found, [coarse](const HeightSample& sample) {
    if (coarse != nullptr) coarse->push_back(sample);
  });
  return found;
}

// Drops, from a list sorted by time, every entry less than 1800 s after an
// entry kept before it; high and low waters alike.
void thin_extremes(std::vector<Extreme>& sorted);

namespace detail {

inline constexpr std::int64_t kSlopeProbe = 60;  // the slope at m is the sign of H(m + 60) − H(m)
inline constexpr std::int64_t kBracketStop = 30;  // bisection ends at a bracket this wide or less

// t + d, saturated to the i64 range; exact for every instant a real window reaches.
std::int64_t offset(std::int64_t t, std::int64_t d);

// (a + b) / 2 truncated toward zero, as if the sum could not overflow.
std::int64_t half_sum(std::int64_t a, std::int64_t b);

// Stable sort by time of entries that come nearly in order.
void sort_by_time(std::vector<Extreme>& list);

// The coarse samples of a scan, in time order, evaluated a block at a time:
// offset(start, −300), start, start + 300, …, start + 300·last and
// offset(start + 300·last, 300), `count` = last + 3 in all.
template <Curve C>
class CoarseSamples {
 public:
  CoarseSamples(const C& curve, std::int64_t start, std::uint64_t count)
      : curve_(curve), start_(start), count_(count) {}

  HeightSample next() {
    if (pos_ == filled_) fill();
    const HeightSample sample{times_[pos_], heights_[pos_]};
    ++pos_;
    return sample;
  }

 private:
  static constexpr std::size_t kBlock = 64;

  std::int64_t time_of(std::uint64_t k) const {
    if (k == 0) return offset(start_, -SCAN_STEP);
    const bool past_last = k + 1 == count_;
    // u = start + 300·j <= end, computed in u64 so that no product overflows.
    const std::uint64_t j = past_last ? k - 2 : k - 1;
    const auto u = static_cast<std::int64_t>(static_cast<std::uint64_t>(start_) +
                                             static_cast<std::uint64_t>(SCAN_STEP) * j);
    return past_last ? offset(u, SCAN_STEP) : u;
  }

  void fill() {
    filled_ = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, count_ - index_));
    for (std::size_t i = 0; i < filled_; ++i) times_[i] = time_of(index_ + i);
    if constexpr (BlockCurve<C>) {
      curve_.heights(std::span<const std::int64_t>(times_.data(), filled_),
                     std::span<double>(heights_.data(), filled_));
    } else {
      for (std::size_t i = 0; i < filled_; ++i) heights_[i] = curve_.height(times_[i]);
    }
    index_ += filled_;
    pos_ = 0;
  }

  const C& curve_;
  std::int64_t start_;
  std::uint64_t count_;
  std::uint64_t index_ = 0;  // of the first sample not yet in a block
  std::size_t filled_ = 0;
  std::size_t pos_ = 0;
  std::array<std::int64_t, kBlock> times_;
  std::array<double, kBlock> heights_;
};

// Heights already known around one candidate: its three coarse samples and
// every instant the bisection has evaluated. H is pure within a window, so an
// instant met again is read back instead of evaluated again (the first
// midpoint is always the candidate itself).
template <Curve C>
class Probes {
 public:
  explicit Probes(const C& curve) : curve_(curve) {}

  void add(std::int64_t t, double h) {
    if (count_ < known_.size()) known_[count_++] = {t, h};
  }

  double at(std::int64_t t) {
    if (const double* h = find(t)) return *h;
    const double h = curve_.height(t);
    add(t, h);
    return h;
  }

  // at(a) and at(b); the two are evaluated together when neither is known.
  std::pair<double, double> at(std::int64_t a, std::int64_t b) {
    if constexpr (BlockCurve<C>) {
      if (find(a) == nullptr && find(b) == nullptr) {
        const std::array<std::int64_t, 2> times{a, b};
        std::array<double, 2> heights;
        curve_.heights(times, heights);
        add(a, heights[0]);
        add(b, heights[1]);
        return {heights[0], heights[1]};
      }
    }
    const double ha = at(a);
    return {ha, at(b)};
  }

 private:
  const double* find(std::int64_t t) const {
    for (std::size_t i = 0; i < count_; ++i) {
      if (known_[i].time == t) return &known_[i].height;
    }
    return nullptr;
  }

  const C& curve_;
  // 3 coarse samples, 2 per halving (at most 5), 1 at the refined instant.
  std::array<HeightSample, 16> known_{};
  std::size_t count_ = 0;
};

}  // namespace detail

template <Curve C, class OnSample>
void find_extremes(const C& curve, std::vector<Extreme>& found, OnSample&& on_sample) {
  using detail::offset;
  found.clear();
  const std::int64_t start = curve.start();
  const std::int64_t end = curve.end();
  if (end < start) return;
  // About one turning point every 3 hours, and a little room for double tides.
  const std::uint64_t span = static_cast<std::uint64_t>(end) - static_cast<std::uint64_t>(start);
  found.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(span / 10800 + 4, 64)));
  // Scanned instants u = start + 300·j for j = 0 … last, each u <= end.
  const std::uint64_t last = span / static_cast<std::uint64_t>(SCAN_STEP);
  detail::CoarseSamples<C> coarse(curve, start, last + 3);
  auto sample = [&] {
    const HeightSample s = coarse.next();
    on_sample(s);
    return s.height;
  };

  // Each coarse instant is evaluated once: a step takes its neighbours' samples over.
  std::int64_t u = start;
  double h1 = sample();
  double h2 = sample();
  double h3 = sample();
  for (std::uint64_t j = 0;; ++j) {
    // Strict comparisons: a flat top or bottom, or a NaN, is no candidate.
    const bool high = h1 < h2 && h2 > h3;
    const bool low = h1 > h2 && h3 > h2;
    if constexpr (TurningPointCurve<C>) {
      if (high || low) {
        const HeightSample x = curve.turning_point(u, h1, h2, h3);
        if (start <= x.time && x.time < end)
          found.push_back({x.time, x.height, high, std::nullopt});
      }
    } else if (high || low) {
      std::int64_t lo = offset(u, -SCAN_STEP);
      std::int64_t hi = offset(u, SCAN_STEP);
      detail::Probes<C> probes(curve);
      probes.add(lo, h1);
      probes.add(u, h2);
      probes.add(hi, h3);
      const bool rising0 = h1 < h2;
      do {
        const std::int64_t m = detail::half_sum(lo, hi);
        const auto [here, ahead] = probes.at(m, offset(m, detail::kSlopeProbe));
        const bool rising = here < ahead;
        (rising == rising0 ? lo : hi) = m;
      } while (hi - lo > detail::kBracketStop);
      const std::int64_t tx = detail::half_sum(lo, hi);
      if (start <= tx && tx < end) found.push_back({tx, probes.at(tx), h2 > h1, std::nullopt});
    }
    if (j == last) break;
    u += SCAN_STEP;
    h1 = h2;
    h2 = h3;
    h3 = sample();
  }

  detail::sort_by_time(found);
  thin_extremes(found);
}

}  // namespace nerith::harmonic::extremes
