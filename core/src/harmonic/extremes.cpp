#include "harmonic/extremes.hpp"

#include <limits>
#include <numeric>

#include "harmonic/find_extremes.hpp"

namespace nerith::harmonic::extremes {
namespace {

constexpr std::int64_t kMinSpacing = 1800;  // reported extremes are at least this far apart

constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

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

std::vector<Extreme> find_extremes(std::int64_t start, std::int64_t end,
                                   std::span<const ports::HarmonicConstituent> constituents,
                                   double mean_level) {
  if (end < start) return {};
  return find_extremes(Window(start, end, constituents, mean_level));
}

std::vector<Extreme> find_extremes(const Window& window,
                                   std::vector<engine::HeightSample>* coarse) {
  return find_extremes_on(window, coarse);
}

}  // namespace nerith::harmonic::extremes
