#include "builtin/coefficient.hpp"
#include "builtin/harmonic/window.hpp"
#include "common/coefficient.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string_view>

#include "builtin/db.hpp"
#include "builtin_port.hpp"

namespace {

using nerith::builtin::coefficient::assign_coefficients;
using nerith::coefficient::coefficient_from_range;
using nerith::coefficient::COEFFICIENT_UNIT;
using nerith::harmonic::extremes::Extreme;
using nerith::harmonic::extremes::find_extremes;
using nerith::ports::Port;

constexpr std::int64_t kDay = 86400;
constexpr std::int64_t k20240310 = 1710028800;

using nerith::testing::builtin_port;

std::vector<Extreme> day_extremes(std::string_view id, std::int64_t start) {
  const Port& port = builtin_port(id);
  auto list = find_extremes(start, start + kDay, port.constituents, port.mean_water_level);
  assign_coefficients(list, port.atlantic_coast, start, start + kDay);
  return list;
}

TEST(CoefficientUnit, IsFiveThirtyEightOverNinetyFive) {
  EXPECT_EQ(COEFFICIENT_UNIT, 0.05663157894736842);
}

TEST(CoefficientFromRange, RoundsSaturatesAndClamps) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  struct Case {
    double range;
    int coefficient;
  };
  const Case cases[] = {
      {5.38, 95},
      {2.55, 45},  // 45.03 before rounding
      {0.0, 20},
      {-3.0, 20},
      {1.16, 20},
      {1.1609473684210527, 21},  // exactly 20.5: halves go away from zero
      {2.5201052631578946, 45},  // exactly 44.5
      {1.2742105263157895, 23},  // exactly 22.5 (half-to-even would give 22)
      {6.76, 119},
      {6.767473684210526, 120},  // exactly 119.5
      {6.768, 120},
      {25.0, 120},
      {1e12, 120},  // beyond i32: saturates, then clamps
      {-1e12, 20},
      {kInf, 120},
      {-kInf, 20},
      {std::nan(""), 20},  // NaN converts to 0, then the lower bound
      {-std::nan(""), 20},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(coefficient_from_range(c.range), c.coefficient) << c.range;
  }
}

TEST(AssignCoefficients, BrestGradesItsOwnHighWaters) {
  const auto list = day_extremes("FR-BREST", k20240310);
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[0].coefficient, 110);  // from the low water of the evening before
  EXPECT_EQ(list[1].coefficient, std::nullopt);
  EXPECT_EQ(list[2].coefficient, 114);
  EXPECT_EQ(list[3].coefficient, std::nullopt);
}

TEST(AssignCoefficients, LeHavreHighWatersMatchTheNearestBrestHighWater) {
  // 10:09:31 and 22:35:09 are both nearest to Brest's 16:13:54 high water.
  std::vector<std::pair<std::int64_t, std::optional<std::uint8_t>>> highs;
  for (const Extreme& e : day_extremes("FR-LE-HAVRE", k20240310)) {
    if (e.is_high) {
      highs.emplace_back(e.time, e.coefficient);
    } else {
      EXPECT_EQ(e.coefficient, std::nullopt);
    }
  }
  const decltype(highs) want = {{k20240310 + 36571, 114}, {k20240310 + 81309, 114}};
  EXPECT_EQ(highs, want);
}

TEST(AssignCoefficients, MatchesByTimeAloneWithTiesToTheEarlier) {
  // Brest's reference high waters that day: 03:53:54 (graded 110) and
  // 16:13:54 (graded 114); their exact middle is 1710065034.
  struct Case {
    std::int64_t time;
    std::optional<std::uint8_t> coefficient;
  };
  const Case cases[] = {
      {k20240310 + 3600, 110}, {1710065033, 110},
      {1710065034, 110},                                     // equally far: the earlier one
      {1710065035, 114},       {k20240310 + kDay - 1, 114},  // never a high water of the next day
  };
  for (const Case& c : cases) {
    std::vector<Extreme> list = {{c.time, 0.0, true, std::nullopt},
                                 {c.time + 1, 0.0, false, std::nullopt}};
    assign_coefficients(list, true, k20240310, k20240310 + kDay);
    EXPECT_EQ(list[0].coefficient, c.coefficient) << c.time;
    EXPECT_EQ(list[1].coefficient, std::nullopt);
  }
}

TEST(AssignCoefficients, LeavesCoefficientsAbsent) {
  const std::vector<Extreme> highs = {{k20240310 + 14000, 3.0, true, std::nullopt},
                                      {k20240310 + 60000, 3.0, true, std::nullopt}};
  // Not on the Atlantic coast.
  auto list = highs;
  assign_coefficients(list, false, k20240310, k20240310 + kDay);
  EXPECT_EQ(list, highs);
  // An empty reference window (end before its start).
  list = highs;
  assign_coefficients(list, true, k20240310, k20240310 - 30000);
  EXPECT_EQ(list, highs);
  // The matching reference high water has no low water before it: the window
  // [start − 7 h, end) opens 1000 s before Brest's 03:53:54 high water.
  list = {{1710042834, 3.0, true, std::nullopt}};
  const std::int64_t start = 1710042834 - 1000 + 25200;
  const Port& brest = builtin_port("FR-BREST");
  const auto ref =
      find_extremes(start - 25200, start + kDay, brest.constituents, brest.mean_water_level);
  ASSERT_FALSE(ref.empty());
  ASSERT_TRUE(ref.front().is_high);
  assign_coefficients(list, true, start, start + kDay);
  EXPECT_EQ(list[0].coefficient, std::nullopt);
  // Nothing to grade.
  list.clear();
  assign_coefficients(list, true, k20240310, k20240310 + kDay);
  EXPECT_TRUE(list.empty());
}

}  // namespace
