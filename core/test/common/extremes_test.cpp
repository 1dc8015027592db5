#include "common/harmonic/extremes.hpp"
#include "builtin/harmonic/window.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string_view>
#include <vector>

#include "builtin/db.hpp"
#include "builtin/harmonic/engine.hpp"
#include "builtin_port.hpp"

namespace {

using nerith::harmonic::engine::AstronomicalArguments;
using nerith::harmonic::engine::CONSTITUENTS;
using nerith::harmonic::extremes::Extreme;
using nerith::harmonic::extremes::find_extremes;
using nerith::harmonic::extremes::thin_extremes;
using nerith::ports::HarmonicConstituent;
using nerith::ports::Port;

using nerith::testing::builtin_port;

struct Expected {
  std::int64_t time;
  double height;
  bool is_high;
};

void expect_extremes(const std::vector<Extreme>& got, const std::vector<Expected>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(got[i].time, want[i].time);
    EXPECT_NEAR(got[i].height, want[i].height, 1e-4);
    EXPECT_EQ(got[i].is_high, want[i].is_high);
    EXPECT_FALSE(got[i].coefficient.has_value());
  }
}

struct StationCase {
  const char* name;
  const char* port;
  std::int64_t start;
  std::int64_t end;
  std::vector<Expected> extremes;
};

class StationWindows : public testing::TestWithParam<StationCase> {};

TEST_P(StationWindows, ExactTimesAndHeights) {
  const StationCase& c = GetParam();
  const Port& port = builtin_port(c.port);
  expect_extremes(find_extremes(c.start, c.end, port.constituents, port.mean_water_level),
                  c.extremes);
}

INSTANTIATE_TEST_SUITE_P(Builtin, StationWindows,
                         testing::Values(
                             // A double high water: the dip 30 min or more after the first maximum
                             // is a low water, the second maximum is thinned, so two lows follow.
                             StationCase{"LeHavre_2024_02_09",
                                         "FR-LE-HAVRE",
                                         1707436800,
                                         1707523200,
                                         {{1707451134, 1.7616, false},
                                          {1707468646, 7.7064, true},
                                          {1707471271, 7.6955, false},
                                          {1707495759, 1.4918, false},
                                          {1707513290, 7.7889, true},
                                          {1707515577, 7.7812, false}}},
                             StationCase{"Brest_2024_03_10",
                                         "FR-BREST",
                                         1710028800,
                                         1710115200,
                                         {{1710042834, 7.3971, true},
                                          {1710065671, 0.9561, false},
                                          {1710087234, 7.4218, true},
                                          {1710109940, 0.9185, false}}},
                             // The reference window of that day opens 7 hours early and holds the
                             // low water of 21:52:20 the evening before.
                             StationCase{"BrestReferenceWindow_2024_03_10",
                                         "FR-BREST",
                                         1710003600,
                                         1710115200,
                                         {{1710021140, 1.1687, false},
                                          {1710042834, 7.3971, true},
                                          {1710065671, 0.9561, false},
                                          {1710087234, 7.4218, true},
                                          {1710109940, 0.9185, false}}}),
                         [](const testing::TestParamInfo<StationCase>& info) {
                           return info.param.name;
                         });

// A pure S2 tide (no nodal modulation) whose true high water is at `peak`,
// with the arguments taken at `start`.
std::vector<HarmonicConstituent> s2_peaking_at(std::int64_t start, std::int64_t peak) {
  const double v0 = CONSTITUENTS[1].equilibrium_argument(AstronomicalArguments::at(start));
  const double lag = v0 + 30.0 * static_cast<double>(peak - start) / 3600.0;
  return {{"S2", 1.0, lag}};
}

TEST(FindExtremes, RefinesWithinHalfAMinuteOfTheProbedTurningPoint) {
  // The slope probe looks 60 s ahead, so the bracket closes around peak − 30.
  const std::int64_t peak = 43200 + 100;
  const auto s2 = s2_peaking_at(0, peak);
  const auto found = find_extremes(0, 86400, s2, 0.0);
  ASSERT_EQ(found.size(), 4u);  // S2 turns every 6 hours
  const Extreme& high = found[2];
  EXPECT_TRUE(high.is_high);
  EXPECT_LE(std::llabs(high.time - (peak - 30)), 15);
  // The height is the curve's own value at the refined instant.
  const double off_peak = static_cast<double>(peak - high.time) * 30.0 / 3600.0;
  EXPECT_NEAR(high.height, std::cos(off_peak * 3.141592653589793 / 180.0), 1e-9);
}

TEST(FindExtremes, WindowIsHalfOpen) {
  // S2 has no nodal factor, so moving the end changes nothing but the bound.
  const auto s2 = s2_peaking_at(0, 43200 + 100);
  const std::int64_t tx = find_extremes(0, 86400, s2, 0.0)[2].time;
  auto has = [&](std::int64_t end) {
    for (const Extreme& e : find_extremes(0, end, s2, 0.0)) {
      if (e.time == tx) return true;
    }
    return false;
  };
  EXPECT_FALSE(has(tx));
  EXPECT_TRUE(has(tx + 1));
}

TEST(FindExtremes, DegenerateWindowsAndCurves) {
  const auto s2 = s2_peaking_at(0, 43200);
  EXPECT_TRUE(find_extremes(86400, 0, s2, 0.0).empty());  // end < start
  EXPECT_TRUE(find_extremes(43200, 43200, s2, 0.0).empty());
  EXPECT_TRUE(find_extremes(0, 86400, {}, 2.5).empty());  // flat: neighbours equal
  const std::vector<HarmonicConstituent> unknown = {{"m2", 1.0, 0.0}, {"X9", 2.0, 10.0}};
  EXPECT_TRUE(find_extremes(0, 86400, unknown, 0.0).empty());
  EXPECT_TRUE(find_extremes(0, 86400, s2, std::nan("")).empty());  // NaN compares false
}

TEST(FindExtremes, EdgesOfTheInstantRangeStayDefined) {
  constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
  constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
  const std::vector<HarmonicConstituent> m2 = {{"M2", 1.0, 0.0}};
  for (const auto& [start, end] : {std::pair{kMax - 90000, kMax}, std::pair{kMin, kMin + 90000}}) {
    for (const Extreme& e : find_extremes(start, end, m2, 0.0)) {
      EXPECT_TRUE(e.time >= start && e.time < end);
    }
  }
}

std::vector<Extreme> at_times(std::initializer_list<std::int64_t> times) {
  std::vector<Extreme> list;
  bool high = true;
  for (std::int64_t t : times) {
    list.push_back({t, 0.0, high, std::nullopt});
    high = !high;
  }
  return list;
}

std::vector<std::int64_t> times_of(const std::vector<Extreme>& list) {
  std::vector<std::int64_t> times;
  for (const Extreme& e : list) times.push_back(e.time);
  return times;
}

TEST(ThinExtremes, KeepsEntriesAtLeast1800SecondsFromEveryKeptOne) {
  struct Case {
    std::initializer_list<std::int64_t> in;
    std::vector<std::int64_t> out;
  };
  const Case cases[] = {
      {{}, {}},
      {{0, 1799}, {0}},
      {{0, 1800}, {0, 1800}},
      {{-1800, 0}, {-1800, 0}},
      {{-1799, 0}, {-1799}},
      {{0, 0}, {0}},  // equal times: the first found stays
      // A dropped entry does not shadow later ones: 1801 is measured from 0.
      {{0, 1799, 1801}, {0, 1801}},
      // A shallow double high water: the dip and the second top both go.
      {{0, 900, 1700, 6000}, {0, 6000}},
  };
  for (const Case& c : cases) {
    auto list = at_times(c.in);
    thin_extremes(list);
    EXPECT_EQ(times_of(list), c.out);
  }
}

}  // namespace
