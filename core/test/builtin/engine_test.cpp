// The harmonic height engine. Exact expectations were computed independently
// in Python (IEEE doubles, no fused multiply-add, the same libm) following
// the engine's order of operations; a reordered sum or product in the C++
// changes their last bits.
#include "builtin/harmonic/engine.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using nerith::harmonic::engine::AstronomicalArguments;
using nerith::harmonic::engine::compute_heights;
using nerith::harmonic::engine::CONSTITUENTS;
using nerith::harmonic::engine::find_constituent;
using nerith::harmonic::engine::height_with_nodal;
using nerith::harmonic::engine::HeightSample;
using nerith::harmonic::engine::NodalCorrections;
using nerith::ports::HarmonicConstituent;
using Constituents = std::vector<HarmonicConstituent>;

constexpr std::int64_t kJ2000 = 946728000;  // 2000-01-01 12:00:00 UTC

// Brest, the reference port (no calibration correction applies to it).
const Constituents kBrest = {{"M2", 2.051, 108.5},  {"S2", 0.752, 148.4}, {"N2", 0.419, 90.3},
                             {"K2", 0.215, 146.0},  {"K1", 0.064, 75.9},  {"O1", 0.064, 328.2},
                             {"P1", 0.023, 62.6},   {"Q1", 0.022, 279.8}, {"M4", 0.059, 104.9},
                             {"MS4", 0.036, 177.9}, {"MN4", 0.022, 59.3}, {"M6", 0.032, 355.0},
                             {"2MS6", 0.017, 61.1}};
constexpr double kBrestLevel = 4.25;

// Astronomical arguments and node both at t_ref.
double height_at(std::int64_t t, std::int64_t t_ref, const Constituents& constituents,
                 double level) {
  return height_with_nodal(t, t_ref, constituents, AstronomicalArguments::at(t_ref),
                           NodalCorrections::at(t_ref), level);
}

// The height-query convention: arguments and node at the UTC midnight at or
// before t.
double query(std::int64_t t, const Constituents& constituents, double level) {
  const std::int64_t midnight = t - ((t % 86400) + 86400) % 86400;
  return height_at(t, midnight, constituents, level);
}

Constituents all_thirteen() {
  Constituents all;
  for (const auto& def : CONSTITUENTS) all.push_back({std::string(def.name), 1.0, 0.0});
  return all;
}

TEST(Constituents, TableRowsAndLookup) {
  const std::vector<std::string> names = {"M2", "S2", "N2",  "K2",  "K1", "O1",  "P1",
                                          "Q1", "M4", "MS4", "MN4", "M6", "2MS6"};
  const std::vector<double> speeds = {28.9841042, 30.0,       28.4397295, 30.0821373, 15.0410686,
                                      13.9430356, 14.9589314, 13.3986609, 57.9682084, 58.9841042,
                                      57.4238337, 86.9523127, 87.9682084};
  for (std::size_t i = 0; i < CONSTITUENTS.size(); ++i) {
    EXPECT_EQ(CONSTITUENTS[i].name, names[i]);
    EXPECT_EQ(CONSTITUENTS[i].speed, speeds[i]) << names[i];
    EXPECT_EQ(find_constituent(names[i]), &CONSTITUENTS[i]);
    // Every V0 is reduced into [0, 360).
    for (const std::int64_t t : {kJ2000, std::int64_t{0}, std::int64_t{1767225600}}) {
      const double v0 = CONSTITUENTS[i].equilibrium_argument(AstronomicalArguments::at(t));
      EXPECT_GE(v0, 0.0);
      EXPECT_LT(v0, 360.0);
    }
  }
  for (const char* name : {"m2", "M2 ", "", "X9", "MS", "2MS6 ", "k1"}) {
    EXPECT_EQ(find_constituent(name), nullptr) << '"' << name << '"';
  }
}

TEST(Constituents, WorkedM2Arguments) {
  const AstronomicalArguments astro = AstronomicalArguments::at(kJ2000);
  const NodalCorrections nodal = NodalCorrections::at(kJ2000);
  EXPECT_NEAR(CONSTITUENTS[0].equilibrium_argument(astro), 124.288341, 5e-7);
  EXPECT_NEAR(nerith::harmonic::constituents::nodal_factor(nodal, "M2").f, 1.021881, 5e-7);
  EXPECT_NEAR(nerith::harmonic::constituents::nodal_factor(nodal, "M2").u, -1.712933, 5e-7);
}

// Heights with arguments and node at t_ref, against printed values (to 1e-6)
// and exact values.
struct HeightCase {
  std::string name;
  std::int64_t t, t_ref;
  Constituents constituents;
  double level;
  double approx, exact;
};
void PrintTo(const HeightCase& c, std::ostream* os) {
  *os << c.name;
}

class Heights : public testing::TestWithParam<HeightCase> {};

TEST_P(Heights, MatchTheWorkedValues) {
  const HeightCase& c = GetParam();
  const double h = height_at(c.t, c.t_ref, c.constituents, c.level);
  EXPECT_NEAR(h, c.approx, 5e-7);
  EXPECT_EQ(h, c.exact);
}

INSTANTIATE_TEST_SUITE_P(
    Engine, Heights,
    testing::Values(
        HeightCase{
            "UnitM2", kJ2000, kJ2000, {{"M2", 1.0, 0.0}}, 0.0, -0.550190, -0.5501898301945946},
        HeightCase{"UnitM2SixHoursLater",
                   kJ2000 + 6 * 3600,
                   kJ2000,
                   {{"M2", 1.0, 0.0}},
                   0.0,
                   0.455642,
                   0.45564214136099046},
        HeightCase{"AllThirteen", kJ2000, kJ2000, all_thirteen(), 4.25, 4.540363,
                   4.540362728869361}),
    [](const auto& info) { return info.param.name; });

TEST(Engine, UnknownNamesContributeNothing) {
  for (const Constituents& list :
       {Constituents{}, Constituents{{"m2", 1.0, 0.0}, {"X9", 3.0, 10.0}, {"M2 ", 1.0, 0.0}}}) {
    for (const std::int64_t t : {kJ2000, std::int64_t{0}, std::int64_t{-1234567}}) {
      EXPECT_EQ(height_at(t, kJ2000, list, 4.25), 4.25);
    }
  }
  Constituents with_x = all_thirteen();
  with_x.insert(with_x.begin() + 5, {"X", 123.0, 45.0});
  EXPECT_EQ(height_at(kJ2000, kJ2000, with_x, 4.25),
            height_at(kJ2000, kJ2000, all_thirteen(), 4.25));
}

TEST(Engine, RepeatedNameAddsBothTerms) {
  const double once = height_at(kJ2000 + 7200, kJ2000, {{"K1", 0.7, 33.0}}, 0.0);
  EXPECT_EQ(height_at(kJ2000 + 7200, kJ2000, {{"K1", 0.7, 33.0}, {"K1", 0.7, 33.0}}, 0.0),
            once + once);
}

TEST(Engine, PhaseLagDelaysByItsSpeed) {
  // Raising g by ω degrees moves the constituent one hour later.
  const double now = height_at(kJ2000, kJ2000, {{"M2", 1.0, 0.0}}, 0.0);
  const double later = height_at(kJ2000 + 3600, kJ2000, {{"M2", 1.0, 28.9841042}}, 0.0);
  EXPECT_NEAR(later, now, 1e-12);
}

TEST(Engine, BeforeTheReferenceInstant) {
  // Δh is negative: one hour before t_ref equals g raised by ω at t_ref.
  const double before = height_at(kJ2000 - 3600, kJ2000, {{"S2", 1.0, 0.0}}, 0.0);
  EXPECT_NEAR(before, height_at(kJ2000, kJ2000, {{"S2", 1.0, 30.0}}, 0.0), 1e-12);
  EXPECT_NE(before, height_at(kJ2000, kJ2000, {{"S2", 1.0, 0.0}}, 0.0));
}

// Brest by the height-query convention at a few instants, exact.
TEST(Engine, BrestHeightQueries) {
  struct Case {
    std::int64_t t;
    double exact;
  };
  for (const Case c : {
           Case{1767268800, 5.295772801867219},   // 2026-01-01 12:00 UTC, ≈ 5.295773
           Case{1710374400, 1.3341735343955263},  // a midnight: t = t_ref
           Case{1710213945, 6.47261245012564},
           Case{0, 4.400612130265867},
           Case{-1000000007, 4.9623770103580185},  // before 1970
           Case{2000000000, 4.948762930378718},
       }) {
    EXPECT_EQ(query(c.t, kBrest, kBrestLevel), c.exact) << c.t;
  }
  EXPECT_NEAR(query(1767268800, kBrest, kBrestLevel), 5.295773, 5e-7);
}

// The day grid of 2026-01-01 at Brest: arguments at midnight, node at noon.
TEST(ComputeHeights, BrestDay) {
  const std::int64_t start = 1767225600;
  const std::vector<HeightSample> grid =
      compute_heights(start, start + 86400, 600, kBrest, kBrestLevel);
  ASSERT_EQ(grid.size(), 145u);
  for (std::size_t i = 0; i < grid.size(); ++i) {
    EXPECT_EQ(grid[i].time, start + static_cast<std::int64_t>(i) * 600);
  }
  EXPECT_EQ(grid.front().height, 5.470681342275821);
  EXPECT_EQ(grid.back().height, 4.60883570699106);
  const HeightSample& noon = grid[72];
  ASSERT_EQ(noon.time, 1767268800);
  EXPECT_NEAR(noon.height, 5.295785, 5e-7);
  EXPECT_EQ(noon.height, 5.295784682374815);

  const auto by_height = [](const HeightSample& a, const HeightSample& b) {
    return a.height < b.height;
  };
  const HeightSample high = *std::ranges::max_element(grid, by_height);
  const HeightSample low = *std::ranges::min_element(grid, by_height);
  EXPECT_EQ(high.time, start + (14 * 60 + 10) * 60);  // 14:10 UTC
  EXPECT_NEAR(high.height, 6.617897, 5e-7);
  EXPECT_EQ(high.height, 6.617897378072062);
  EXPECT_EQ(low.time, start + (20 * 60 + 40) * 60);  // 20:40 UTC
  EXPECT_NEAR(low.height, 1.773782, 5e-7);
  EXPECT_EQ(low.height, 1.773781797867641);
}

// The grid is the sum at each instant with t_ref = start and the node at
// start + (end − start) / 2.
struct GridCase {
  std::string name;
  std::int64_t start, end;
  std::uint32_t step;
  std::vector<std::int64_t> times;
  std::int64_t node_at;
};
void PrintTo(const GridCase& c, std::ostream* os) {
  *os << c.name;
}

class Grid : public testing::TestWithParam<GridCase> {};

TEST_P(Grid, SamplesAndConventions) {
  const GridCase& c = GetParam();
  const std::vector<HeightSample> grid = compute_heights(c.start, c.end, c.step, kBrest, 4.25);
  std::vector<std::int64_t> times;
  for (const HeightSample& s : grid) times.push_back(s.time);
  EXPECT_EQ(times, c.times);
  const AstronomicalArguments astro = AstronomicalArguments::at(c.start);
  const NodalCorrections nodal = NodalCorrections::at(c.node_at);
  for (const HeightSample& s : grid) {
    EXPECT_EQ(s.height, height_with_nodal(s.time, c.start, kBrest, astro, nodal, 4.25)) << s.time;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Engine, Grid,
    testing::Values(GridCase{"ThreeSamples", 0, 1200, 600, {0, 600, 1200}, 600},
                    GridCase{"EndNotOnTheGrid", 0, 1000, 600, {0, 600}, 500},
                    GridCase{"StartEqualsEnd", 5000, 5000, 600, {5000}, 5000},
                    GridCase{"StartAfterEnd", 5000, 4999, 600, {}, 0},
                    // Odd span: the half is truncated toward zero, i.e. toward start.
                    GridCase{"OddSpanBefore1970", -1201, 0, 600, {-1201, -601, -1}, -601},
                    GridCase{"StepOfOneSecond", 10, 13, 1, {10, 11, 12, 13}, 11},
                    // A step of 0 yields the single sample at start; it never loops.
                    GridCase{"StepZero", 100, 10000, 0, {100}, 5050}),
    [](const auto& info) { return info.param.name; });

TEST(ComputeHeights, NodeInstantMatters) {
  // The odd-span case above only discriminates if one second moves the node.
  ASSERT_NE(NodalCorrections::at(-601).node_longitude, NodalCorrections::at(-600).node_longitude);
}

}  // namespace
