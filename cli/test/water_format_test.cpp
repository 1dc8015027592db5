#include "water_format.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace nerith::cli {
namespace {

const ports::Port kPort{"FR-TEST", "Quai, Nord", 48.0, -4.0, 4.0, true, {}};

// 2024-03-10 04:00 to 09:12 UTC; 2024-03-10 16:00 UTC to the range's end.
const std::vector<windows::WaterWindow> kWindows{{1710043200, 1710061920, true, false},
                                                 {1710086400, 1710104400, false, true}};

TEST(WaterFormat, RendersWindowsAndTheTideNowOnTheChosenClock) {
  const Zone paris = Zone::locate("Europe/Paris").value();
  struct Case {
    std::string text;
    std::vector<std::string_view> contains;
  };
  const TideNow now{1710043200, 3.21, harmonic::extremes::Extreme{1710056700, 6.02, true, 95},
                    harmonic::extremes::Extreme{1710079380, 1.1, false, {}}};
  const TideNow falling{1710060000, 5.5, harmonic::extremes::Extreme{1710090000, 6.1, true, {}},
                        harmonic::extremes::Extreme{1710067200, 1.0, false, {}}};
  const std::vector<Case> cases{
      {windows_table(kPort, 3.3, windows::Side::Above, kWindows, Zone{}),
       {"Quai, Nord (FR-TEST), water above 3.30 m, times in UTC\n",
        "2024-03-10 04:00  2024-03-10 09:12  at least 5h 12m (open before)\n",
        "2024-03-10 16:00  2024-03-10 21:00  at least 5h 00m (open after)\n"}},
      {windows_table(kPort, 1.0, windows::Side::Below, {}, paris),
       {"water below 1.00 m, times in Europe/Paris", "no window in these days"}},
      {windows_table(kPort, 3.3, windows::Side::Above, kWindows, paris),
       {"2024-03-10 05:00 CET  2024-03-10 10:12 CET  at least 5h 12m"}},
      {windows_csv(kPort.id, 3.3, windows::Side::Above, kWindows, paris),
       {"port_id,level,side,start,end,start_datetime,end_datetime,duration,open_start,open_end\n",
        "FR-TEST,3.300,above,1710043200,1710061920,2024-03-10T05:00:00+01:00,"
        "2024-03-10T10:12:00+01:00,18720,true,false\n"}},
      {now_text(kPort, now, Zone{}),
       {"Quai, Nord (FR-TEST) at 2024-03-10 04:00: 3.21 m, rising\n",
        "  next high water  2024-03-10 07:45   6.02 m  in 3h 45m  coef 95\n",
        "  next low  water  2024-03-10 14:03   1.10 m  in 10h 03m\n"}},
      {now_text(kPort, falling, paris), {"09:40 CET: 5.50 m, falling", "in 2h 00m"}},
  };
  for (const auto& c : cases) {
    for (const auto part : c.contains) EXPECT_NE(c.text.find(part), std::string::npos) << c.text;
  }
  EXPECT_EQ(duration_text(0), "0h 00m");
  EXPECT_EQ(duration_text(29), "0h 00m");
  EXPECT_EQ(duration_text(3570), "1h 00m");
  EXPECT_EQ(duration_text(90061), "25h 01m");

  const auto json =
      nlohmann::json::parse(windows_json(kPort.id, 3.3, windows::Side::Below, kWindows, paris));
  EXPECT_EQ(json["side"], "below");
  EXPECT_EQ(json["time_zone"], "Europe/Paris");
  ASSERT_EQ(json["windows"].size(), 2u);
  EXPECT_EQ(json["windows"][0]["duration"], 18720);
  EXPECT_EQ(json["windows"][0]["open_start"], true);
  EXPECT_EQ(json["windows"][1]["local_end"], "2024-03-10T22:00:00+01:00");
  EXPECT_FALSE(nlohmann::json::parse(
                   windows_json("X", 1, windows::Side::Above, kWindows, Zone{}))["windows"][0]
                   .contains("local_start"));

  const auto tide = nlohmann::json::parse(now_json(kPort, now, paris));
  EXPECT_EQ(tide["trend"], "rising");
  EXPECT_EQ(tide["next_high"]["in_seconds"], 13500);
  EXPECT_EQ(tide["next_high"]["in"], "3h 45m");
  EXPECT_EQ(tide["next_high"]["coefficient"], 95);
  EXPECT_TRUE(tide["next_low"]["coefficient"].is_null());
  EXPECT_EQ(tide["local_time"], "2024-03-10T05:00:00+01:00");
  EXPECT_TRUE(
      nlohmann::json::parse(now_json(kPort, {0, 1.0, {}, {}}, Zone{}))["next_low"].is_null());
}

}  // namespace
}  // namespace nerith::cli
