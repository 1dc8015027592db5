// The calendar's floor division, which the models, the binding layer and the
// command all count their days with.
#include "nerith/calendar.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

TEST(Calendar, FloorDivisionAndTheDayOfAnInstant) {
  struct Case {
    std::int64_t x, n, quotient, rest;
  };
  const Case cases[] = {
      {0, 86400, 0, 0},
      {86399, 86400, 0, 86399},
      {86400, 86400, 1, 0},
      {-1, 86400, -1, 86399},
      {-86400, 86400, -1, 0},
      {-86401, 86400, -2, 86399},
      {kMax, 86400, kMax / 86400, kMax % 86400},
      {kMin, 86400, kMin / 86400 - 1, kMin % 86400 + 86400},
      {-7, 4, -2, 1},
  };
  for (const Case& c : cases) {
    const nerith::FloorDivision d = nerith::floor_divide(c.x, c.n);
    EXPECT_EQ(d.quotient, c.quotient) << c.x << " / " << c.n;
    EXPECT_EQ(d.rest, c.rest) << c.x << " / " << c.n;
    if (c.n == nerith::SECONDS_PER_DAY) {
      EXPECT_EQ(nerith::day_of(c.x), c.quotient) << c.x;
    }
  }
  // The day number and the day's bounds agree, either side of 1970.
  for (const char* date : {"1969-12-31", "1970-01-01", "2024-03-10", "0001-01-01"}) {
    const auto bounds = nerith::day_bounds_utc(date);
    ASSERT_TRUE(bounds.has_value()) << date;
    EXPECT_EQ(nerith::format_date(nerith::civil_from_days(nerith::day_of(bounds->first))), date);
    EXPECT_EQ(nerith::day_of(bounds->second - 1), nerith::day_of(bounds->first)) << date;
  }
}

}  // namespace
