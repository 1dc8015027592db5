// The two kernels of WindowTerms::heights, the four-lane AVX2 one and the
// two-lane SSE2 one, against each other and against the term-by-term sum,
// bit for bit.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "builtin/db.hpp"
#include "builtin/harmonic/engine.hpp"

namespace {

using nerith::harmonic::engine::AstronomicalArguments;
using nerith::harmonic::engine::height_with_nodal;
using nerith::harmonic::engine::heights_with;
using nerith::harmonic::engine::Kernel;
using nerith::harmonic::engine::NodalCorrections;
using nerith::harmonic::engine::WindowTerms;

TEST(Kernels, BothGiveTheTermByTermSum) {
  // Block lengths of every remainder, the odd instants of a bisection, and
  // more than one block of terms (a station listed twice over has 26).
  std::vector<std::int64_t> offsets;
  for (std::int64_t dt = -300; dt <= 111900; dt += 300) offsets.push_back(dt);
  for (std::int64_t dt : {-1, 1, 59, 61, 3599, 86399, 86401}) offsets.push_back(dt);
  const auto& ports = nerith::db::PORTS.get();
  auto twice = ports.front().constituents;
  twice.insert(twice.end(), twice.begin(), twice.end());
  for (const std::int64_t t_ref : {std::int64_t{-2208988800}, std::int64_t{0},
                                   std::int64_t{1710028800}, std::int64_t{4102444800}}) {
    const auto astro = AstronomicalArguments::at(t_ref);
    const auto nodal = NodalCorrections::at(t_ref + 43200);
    for (std::size_t p = 0; p <= ports.size(); ++p) {
      const auto& list = p < ports.size() ? ports[p].constituents : twice;
      const double level = p < ports.size() ? ports[p].mean_water_level : 1.5;
      const WindowTerms terms(t_ref, astro, nodal, list, level);
      for (std::size_t n = 1; n <= offsets.size(); n += n < 40 ? 1 : 97) {
        std::vector<std::int64_t> times;
        for (std::size_t i = 0; i < n; ++i) times.push_back(t_ref + offsets[i]);
        std::vector<double> baseline(n), wide(n);
        ASSERT_TRUE(heights_with(Kernel::Baseline, terms, times, baseline));
        const bool has_wide = heights_with(Kernel::Avx2, terms, times, wide);
        for (std::size_t i = 0; i < n; ++i) {
          const double want = height_with_nodal(times[i], t_ref, list, astro, nodal, level);
          ASSERT_EQ(baseline[i], want) << "instant " << i << " of " << n << ", t_ref " << t_ref;
          if (has_wide) {
            ASSERT_EQ(wide[i], want) << "instant " << i << " of " << n;
          }
        }
      }
    }
  }
}

}  // namespace
