#include "builtin/harmonic/window.hpp"

#include <algorithm>
#include <array>
#include <numeric>

namespace nerith::harmonic::extremes {

Window::Window(std::int64_t start, std::int64_t end,
               std::span<const ports::HarmonicConstituent> constituents, double mean_level)
    : start_(start),
      end_(end),
      // std::midpoint rounds toward start: start + (end − start) / 2 for end >= start.
      terms_(start, engine::AstronomicalArguments::at(start),
             engine::NodalCorrections::at(std::midpoint(start, end)), constituents, mean_level) {}

double Window::height(std::int64_t t) const {
  return terms_.height(reachable(t));
}

void Window::heights(std::span<const std::int64_t> times, std::span<double> out) const {
  if (std::all_of(times.begin(), times.end(), [&](std::int64_t t) { return reachable(t) == t; })) {
    terms_.heights(times, out);
    return;
  }
  constexpr std::size_t kBlock = 64;
  for (std::size_t i0 = 0; i0 < times.size(); i0 += kBlock) {
    const std::size_t n = std::min(kBlock, times.size() - i0);
    std::array<std::int64_t, kBlock> clamped;
    for (std::size_t i = 0; i < n; ++i) clamped[i] = reachable(times[i0 + i]);
    terms_.heights(std::span<const std::int64_t>(clamped.data(), n), out.subspan(i0, n));
  }
}

std::vector<Extreme> find_extremes(std::int64_t start, std::int64_t end,
                                   std::span<const ports::HarmonicConstituent> constituents,
                                   double mean_level) {
  if (end < start) return {};
  return find_extremes(Window(start, end, constituents, mean_level));
}

}  // namespace nerith::harmonic::extremes
