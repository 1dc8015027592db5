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
  using enum windows::Side;
  const TideNow now{1710043200, 3.21, true, Extreme{1710056700, 6.02, true, 95},
                    Extreme{1710079380, 1.1, false, {}}};
  // The low comes first; the high at 17:59:31 CET shows as 18:00, 8h 20m after 09:40.
  const TideNow falling{1710060000, 5.5, false, Extreme{1710089971, 6.1, true, {}},
                        Extreme{1710067200, 1.0, false, {}}};
  const TideNow last{253402297200, 2.4, true, std::nullopt, Extreme{253402299000, 1.0, false, {}}};
  // 04:00:01 to 09:11:59, and 09:00:30 to 09:00:50.
  const std::vector<windows::WaterWindow> odd{{1710043201, 1710061919, false, false},
                                              {1710061230, 1710061250, false, false}};
  const std::vector<Case> cases{
      {windows_table(kPort, Model::Full, 3.3, Above, kWindows, Zone{}),
       {"Quai, Nord (FR-TEST), water above 3.30 m, times in UTC\n"
        "full model: heights above chart datum\n\n",
        "2024-03-10 04:00  2024-03-10 09:12  at least 5h 12m (open before)\n",
        "2024-03-10 16:00  2024-03-10 21:00  at least 5h 00m (open after)\n"}},
      {windows_table(kPort, Model::Builtin, 1.0, Below, {}, paris),
       {"water below 1.00 m, times in Europe/Paris", "built-in model: heights on the station's",
        "no window in these days"}},
      {windows_table(kPort, Model::Full, 3.3, Above, kWindows, paris),
       {"2024-03-10 05:00 CET  2024-03-10 10:12 CET  at least 5h 12m"}},
      // Above: the start rounded up, the end down, the duration between them;
      // a window shorter than a minute is left out, and said to be.
      {windows_table(kPort, Model::Full, 3.3, Above, odd, Zone{}),
       {"2024-03-10 04:01  2024-03-10 09:11  5h 10m\n",
        "(1 window above the level for less than a minute left out)\n"}},
      // Below (aground): widened.
      {windows_table(kPort, Model::Full, 3.3, Below, odd, Zone{}),
       {"2024-03-10 04:00  2024-03-10 09:12  5h 12m\n",
        "2024-03-10 09:00  2024-03-10 09:01  0h 01m\n"}},
      {windows_csv(kPort.id, 3.3, Above, odd, Zone{}),
       {"FR-TEST,3.300,above,1710043201,1710061919,2024-03-10T04:00:01Z,"
        "2024-03-10T09:11:59Z,18718,false,false\n"}},
      {windows_csv(kPort.id, 3.3, Above, kWindows, paris),
       {"port_id,level,side,start,end,start_datetime,end_datetime,duration,open_start,open_end\n",
        "FR-TEST,3.300,above,1710043200,1710061920,2024-03-10T05:00:00+01:00,"
        "2024-03-10T10:12:00+01:00,18720,true,false\n"}},
      {now_text(kPort, now, Zone{}),
       {"Quai, Nord (FR-TEST) at 2024-03-10 04:00 UTC: 3.21 m, rising\n"
        "  next high water  2024-03-10 07:45 UTC   6.02 m  in 3h 45m  coef 95\n"
        "  next low  water  2024-03-10 14:03 UTC   1.10 m  in 10h 03m\n"}},
      {now_text(kPort, falling, paris),
       {"09:40 CET: 5.50 m, falling\n  next low  water  2024-03-10 11:40 CET",
        "\n  next high water  2024-03-10 18:00 CET   6.10 m  in 8h 20m\n"}},
      {now_text(kPort, last, Zone{}),
       {"next low  water  9999-12-31 23:30 UTC   1.00 m  in 0h 30m\n"
        "  next high water  none before predictions end, at 9999-12-31 24:00 UTC\n"}},
  };
  for (const auto& c : cases) {
    for (const auto part : c.contains) EXPECT_NE(c.text.find(part), std::string::npos) << c.text;
  }
  EXPECT_EQ(duration_text(0), "0h 00m");
  EXPECT_EQ(duration_text(29), "0h 00m");
  EXPECT_EQ(duration_text(3570), "1h 00m");
  EXPECT_EQ(duration_text(90061), "25h 01m");

  const auto json =
      nlohmann::json::parse(windows_json(kPort.id, Model::Full, 3.3, Below, kWindows, paris));
  EXPECT_EQ(json["model"], "full");
  EXPECT_EQ(json["datum"], "chart datum");
  EXPECT_EQ(json["side"], "below");
  EXPECT_EQ(json["time_zone"], "Europe/Paris");
  ASSERT_EQ(json["windows"].size(), 2u);
  EXPECT_EQ(json["windows"][0]["duration"], 18720);
  EXPECT_EQ(json["windows"][0]["open_start"], true);
  EXPECT_EQ(json["windows"][1]["local_end"], "2024-03-10T22:00:00+01:00");
  EXPECT_FALSE(nlohmann::json::parse(
                   windows_json("X", Model::Builtin, 1, Above, kWindows, Zone{}))["windows"][0]
                   .contains("local_start"));

  const auto tide = nlohmann::json::parse(now_json(kPort, now, paris));
  EXPECT_EQ(tide["trend"], "rising");
  EXPECT_EQ(tide["next_high"]["in_seconds"], 13500);
  EXPECT_EQ(tide["next_high"]["in"], "3h 45m");
  EXPECT_EQ(tide["next_high"]["coefficient"], 95);
  EXPECT_TRUE(tide["next_low"]["coefficient"].is_null());
  EXPECT_EQ(tide["local_time"], "2024-03-10T05:00:00+01:00");
  EXPECT_TRUE(nlohmann::json::parse(now_json(kPort, {0, 1.0, false, {}, {}}, Zone{}))["next_low"]
                  .is_null());
}

}  // namespace
}  // namespace nerith::cli
