#include "common/harmonic/extremes.hpp"

#include <algorithm>
#include <array>
#include <limits>
#include <numeric>

namespace nerith::harmonic::extremes {
namespace {

constexpr std::int64_t kMinSpacing = 1800;  // reported extremes are at least this far apart

constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

}  // namespace

namespace detail {

std::int64_t offset(std::int64_t t, std::int64_t d) {
  if (d > 0 && t > kMax - d) return kMax;
  if (d < 0 && t < kMin - d) return kMin;
  return t + d;
}

// With a + b = 2s + r, s = a/2 + b/2 and r = a%2 + b%2 in −2…2, an odd sum
// rounds toward zero: toward s + 1 when it is negative, s − 1 when positive.
std::int64_t half_sum(std::int64_t a, std::int64_t b) {
  const std::int64_t s = a / 2 + b / 2;
  const std::int64_t r = a % 2 + b % 2;
  if (r == 1 && s < 0) return s + 1;
  if (r == -1 && s > 0) return s - 1;
  return s + r / 2;
}

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

}  // namespace detail

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

}  // namespace nerith::harmonic::extremes
