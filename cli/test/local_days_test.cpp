#include "local_days.hpp"

#include <gtest/gtest.h>

#include "synthetic.hpp"

namespace nerith::cli {
namespace {

using testing::synthetic_day;

constexpr std::int64_t kDay = 19792;  // 2024-03-10

std::vector<DayPrediction> three_days() {
  return {synthetic_day(kDay - 1, {{80000, false, {}}, {84000, true, 90}}),
          synthetic_day(kDay, {{14034, true, 110},
                               {36871, false, {}},
                               {58434, true, 114},
                               {81140, false, {}},
                               {83000, true, 100}}),
          synthetic_day(kDay + 1, {{1000, false, {}}, {60000, true, 80}})};
}

Zone paris() {
  return Zone::locate("Europe/Paris").value();
}

TEST(UtcDaysCovering, AddsTheNeighbouringUtcDaysALocalDayTouches) {
  EXPECT_EQ(utc_days_covering(Zone{}, kDay, 1).first, kDay);
  EXPECT_EQ(utc_days_covering(Zone{}, kDay, 1).last, kDay);
  EXPECT_EQ(utc_days_covering(Zone{}, kDay, 7).last, kDay + 6);
  // Paris is ahead of UTC: its day starts the evening before.
  EXPECT_EQ(utc_days_covering(paris(), kDay, 1).first, kDay - 1);
  EXPECT_EQ(utc_days_covering(paris(), kDay, 1).last, kDay);
  const Zone new_york = Zone::locate("America/New_York").value();
  EXPECT_EQ(utc_days_covering(new_york, kDay, 1).first, kDay);
  EXPECT_EQ(utc_days_covering(new_york, kDay, 1).last, kDay + 1);
}

TEST(CutLocalDays, InUtcEachDayIsTheLibrarysDay) {
  const auto days = three_days();
  const auto views = cut_local_days(days, kDay - 1, Zone{}, kDay - 1, 3);
  ASSERT_EQ(views.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(views[i].date, days[i].date);
    EXPECT_EQ(views[i].extremes, days[i].extremes);
    EXPECT_EQ(views[i].heights, days[i].heights);
    EXPECT_EQ(views[i].end - views[i].start, 86400);
  }
}

TEST(CutLocalDays, ALocalDayTakesWhatFallsOnItsClockFromEitherUtcDay) {
  const auto days = three_days();
  const auto views = cut_local_days(std::span(days).subspan(0, 2), kDay - 1, paris(), kDay, 1);
  ASSERT_EQ(views.size(), 1u);
  const DayView& view = views.front();
  EXPECT_EQ(view.date, "2024-03-10");
  EXPECT_EQ(view.start, kDay * 86400 - 3600);
  EXPECT_EQ(view.end, kDay * 86400 + 86400 - 3600);
  // The previous UTC day's 23:20 high water is 00:20 in Paris; 23:03 UTC on
  // the 10th is already the 11th there.
  ASSERT_EQ(view.extremes.size(), 5u);
  EXPECT_EQ(view.extremes.front().time, (kDay - 1) * 86400 + 84000);
  EXPECT_EQ(view.extremes.front().coefficient, 90);
  EXPECT_EQ(view.extremes.back().time, kDay * 86400 + 81140);
  // 145 samples from local midnight to local midnight; the UTC midnight
  // sample comes from the day that starts there.
  ASSERT_EQ(view.heights.size(), 145u);
  EXPECT_EQ(view.heights.front().time, view.start);
  EXPECT_EQ(view.heights.back().time, view.end);
  for (std::size_t i = 1; i < view.heights.size(); ++i) {
    EXPECT_EQ(view.heights[i].time - view.heights[i - 1].time, 600);
  }
  EXPECT_EQ(view.heights[6], days[1].heights[0]);
}

TEST(CutLocalDays, ClockChangeDaysHave23Or25Hours) {
  const Zone zone = paris();
  for (const auto& [date, hours] : {std::pair{"2024-03-31", 23}, std::pair{"2024-10-27", 25}}) {
    const std::int64_t day = *parse_date(date);
    const UtcSpan span = utc_days_covering(zone, day, 1);
    std::vector<DayPrediction> utc;
    for (std::int64_t d = span.first; d <= span.last; ++d) utc.push_back(synthetic_day(d, {}));
    const auto views = cut_local_days(utc, span.first, zone, day, 1);
    ASSERT_EQ(views.size(), 1u);
    EXPECT_EQ(views[0].end - views[0].start, hours * 3600) << date;
    EXPECT_EQ(views[0].heights.size(), static_cast<std::size_t>(hours * 6 + 1)) << date;
  }
}

}  // namespace
}  // namespace nerith::cli
