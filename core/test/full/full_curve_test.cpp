// The full model's curve against its own direct sum: the rotated phasors of
// the scan within 1 mm, and each high and low water within a second of the
// turning point that a one-second search of the same curve finds, over
// gauges with very different tides and over decades.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/harmonic/extremes.hpp"
#include "full/catalogue.hpp"
#include "full/curve.hpp"
#include "nerith/api.hpp"

namespace {

using namespace nerith;

// The instant, to the second, where the curve's direct sum tops (or bottoms)
// every other second within 450 s of `near`.
std::int64_t searched_turning_point(const full::curve::Curve& curve, std::int64_t near,
                                    bool is_high) {
  std::int64_t best = near;
  double best_height = curve.direct(near);
  for (std::int64_t t = near - 450; t <= near + 450; ++t) {
    const double h = curve.direct(t);
    if (is_high ? h > best_height : h < best_height) {
      best = t;
      best_height = h;
    }
  }
  return best;
}

TEST(FullCurve, ScanAndTurningPointsMatchTheDirectSum) {
  // Brest and Saint-Malo: large semi-diurnal tides; Le Havre: the stand of
  // high water; L'Herbaudière: flat neap crests; Marseille: a tide of a few
  // centimetres; Papeete: solar-dominated; Dumont d'Urville: diurnal.
  const char* stations[] = {"FR-BREST",           "FR-SAINT-MALO", "FR-LE-HAVRE",
                            "FR-L-HERBAUDIERE",   "FR-MARSEILLE",  "FR-PAPEETE",
                            "FR-DUMONT-D-URVILLE"};
  const char* dates[] = {"1975-06-01", "1999-12-31", "2020-01-01", "2024-03-10",
                         "2024-03-17", "2033-09-21", "2061-07-15"};
  int count = 0;
  std::int64_t worst = 0;
  double worst_height = 0.0;
  double signed_sum = 0.0;
  for (const char* id : stations) {
    const auto entry = full::catalogue::find(id);
    ASSERT_NE(entry.station, nullptr) << id;
    for (const char* date : dates) {
      const auto [start, end] = *api::day_bounds_utc(date);
      const full::curve::Curve curve(*entry.station, *entry.rows, entry.folding, start, end);
      std::vector<harmonic::engine::HeightSample> coarse;
      const auto found = harmonic::extremes::find_extremes(curve, &coarse);
      ASSERT_GT(coarse.size(), 288u);
      for (const auto& sample : coarse) {
        worst_height = std::max(worst_height, std::abs(sample.height - curve.direct(sample.time)));
      }
      ASSERT_GE(found.size(), 2u) << id << ' ' << date;
      for (const auto& e : found) {
        const std::int64_t truth = searched_turning_point(curve, e.time, e.is_high);
        EXPECT_LE(std::llabs(e.time - truth), 1) << id << ' ' << date << ' ' << e.time;
        EXPECT_NEAR(e.height, curve.direct(e.time), 1e-9) << id << ' ' << date;
        worst = std::max<std::int64_t>(worst, std::llabs(e.time - truth));
        signed_sum += static_cast<double>(e.time - truth);
        ++count;
      }
    }
  }
  EXPECT_LT(worst_height, 0.001);
  std::printf("%d extremes: mean offset %+.2f s, worst %lld s\n", count, signed_sum / count,
              static_cast<long long>(worst));
}

}  // namespace
