#include "common/coefficient.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace nerith::coefficient {
namespace {

using harmonic::extremes::Extreme;

constexpr int kLowest = 20;
constexpr int kHighest = 120;

std::uint64_t distance(std::int64_t a, std::int64_t b) {
  const auto ua = static_cast<std::uint64_t>(a);
  const auto ub = static_cast<std::uint64_t>(b);
  return a < b ? ub - ua : ua - ub;
}

// Reference high water nearest to t; on a tie the earlier one in `ref`.
const Extreme* nearest_high(std::span<const Extreme> ref, std::int64_t t) {
  const Extreme* best = nullptr;
  for (const Extreme& r : ref) {
    if (r.is_high && (best == nullptr || distance(r.time, t) < distance(best->time, t))) best = &r;
  }
  return best;
}

// The latest reference low water strictly before t.
const Extreme* low_before(std::span<const Extreme> ref, std::int64_t t) {
  const Extreme* best = nullptr;
  for (const Extreme& r : ref) {
    if (!r.is_high && r.time < t && (best == nullptr || r.time > best->time)) best = &r;
  }
  return best;
}

}  // namespace

std::uint8_t coefficient_from_range(double range) {
  return coefficient_from_range(range, COEFFICIENT_UNIT);
}

std::uint8_t coefficient_from_range(double range, double unit) {
  const double x = std::round(range / unit);  // halves away from zero
  // Saturating conversion to i32; NaN gives 0.
  int points = 0;
  if (x >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
    points = std::numeric_limits<std::int32_t>::max();
  } else if (x <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
    points = std::numeric_limits<std::int32_t>::min();
  } else if (!std::isnan(x)) {
    points = static_cast<int>(x);
  }
  return static_cast<std::uint8_t>(std::clamp(points, kLowest, kHighest));
}

// The window opens 7 hours early so that an early high water still finds the
// reference low water of the evening before.
std::int64_t reference_start(std::int64_t start) {
  return start < std::numeric_limits<std::int64_t>::min() + REFERENCE_LEAD
             ? std::numeric_limits<std::int64_t>::min()
             : start - REFERENCE_LEAD;
}

void grade(std::vector<Extreme>& extremes, std::span<const Extreme> ref, double unit) {
  for (Extreme& e : extremes) {
    if (!e.is_high) continue;
    const Extreme* high = nearest_high(ref, e.time);
    if (high == nullptr) continue;
    const Extreme* low = low_before(ref, high->time);
    if (low == nullptr) continue;
    e.coefficient = coefficient_from_range(high->height - low->height, unit);
  }
}

}  // namespace nerith::coefficient
