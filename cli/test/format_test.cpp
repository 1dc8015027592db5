#include "format.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "synthetic.hpp"

namespace nerith::cli {
namespace {

using testing::synthetic_day;

constexpr std::int64_t kDay = 19792;  // 2024-03-10

ports::Port station() {
  return {"FR-TEST", "Île d'Essai — Nord", 48.383, -4.495, 4.25, true, {{"M2", 2.051, 108.5}}};
}

std::vector<DayView> views(const Zone& zone, std::int64_t count) {
  const UtcSpan span = utc_days_covering(zone, kDay, count);
  std::vector<DayPrediction> utc;
  for (std::int64_t d = span.first; d <= span.last; ++d) {
    utc.push_back(synthetic_day(
        d, {{14034, true, 110}, {36871, false, {}}, {58434, true, 114}, {81140, false, {}}}));
  }
  return cut_local_days(utc, span.first, zone, kDay, count);
}

std::size_t count(const std::string& text, std::string_view what) {
  std::size_t n = 0;
  for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) ++n;
  return n;
}

TEST(Sparkline, MapsTheRangeOntoEightLevels) {
  const std::vector<HeightSample> rising{{0, 0.0}, {1, 1.0}, {2, 2.0}, {3, 3.0},
                                         {4, 4.0}, {5, 5.0}, {6, 6.0}, {7, 7.0}};
  EXPECT_EQ(sparkline(rising, 0.0, 7.0, 8), "▁▂▃▄▅▆▇█");
  EXPECT_EQ(sparkline(rising, 0.0, 7.0, 2), "▁█");
  EXPECT_EQ(sparkline(rising, 3.0, 3.0, 3), "▄▄▄");       // a flat range sits mid-height
  EXPECT_EQ(sparkline(rising, 2.0, 5.0, 8), "▁▁▁▃▆███");  // outside the range: clamped
  EXPECT_EQ(sparkline({}, 0.0, 1.0, 8), "");
}

TEST(PredictionTable, ListsEachWaterWithTimeHeightAndCoefficient) {
  const std::string table = prediction_table(station(), Model::Full, views(Zone{}, 2), Zone{});
  EXPECT_NE(table.find("Île d'Essai — Nord (FR-TEST), times in UTC"), std::string::npos);
  EXPECT_NE(table.find("\nfull model: heights above chart datum, official coefficients\n"),
            std::string::npos);
  // 03:53:54 and 10:14:31, to the nearest minute.
  EXPECT_NE(table.find("Sun 2024-03-10   high  03:54"), std::string::npos) << table;
  EXPECT_NE(table.find("Mon 2024-03-11   high  03:54"), std::string::npos) << table;
  EXPECT_NE(table.find("                 low   10:15"), std::string::npos) << table;
  EXPECT_NE(table.find(" 110\n"), std::string::npos);
  EXPECT_EQ(count(table, "high"), 4u);
  EXPECT_EQ(count(table, "low "), 4u);
  EXPECT_NE(table.find("curves run from 00:00 to 24:00"), std::string::npos);

  const Zone paris = Zone::locate("Europe/Paris").value();
  const std::string local = prediction_table(station(), Model::Builtin, views(paris, 1), paris);
  EXPECT_NE(local.find("times in Europe/Paris"), std::string::npos);
  EXPECT_NE(local.find("\nbuilt-in model: heights on the station's mean level, not chart datum; "
                       "unofficial coefficients\n"),
            std::string::npos);
  EXPECT_NE(local.find("high  04:54 CET"), std::string::npos) << local;
  EXPECT_NE(local.find("low   23:32 CET"), std::string::npos) << local;
}

TEST(PredictionJson, UsesTheLibrarysFieldNames) {
  const auto day =
      nlohmann::json::parse(prediction_json("FR-TEST", views(Zone{}, 1), Zone{}, false));
  EXPECT_EQ(day["port_id"], "FR-TEST");
  EXPECT_EQ(day["date"], "2024-03-10");
  EXPECT_FALSE(day.contains("time_zone"));
  ASSERT_EQ(day["extremes"].size(), 4u);
  EXPECT_EQ(day["extremes"][0]["time"], kDay * 86400 + 14034);
  EXPECT_EQ(day["extremes"][0]["is_high"], true);
  EXPECT_EQ(day["extremes"][0]["coefficient"], 110);
  EXPECT_TRUE(day["extremes"][1]["coefficient"].is_null());
  EXPECT_FALSE(day["extremes"][0].contains("local_time"));
  EXPECT_EQ(day["heights"].size(), 145u);
  EXPECT_EQ(day["heights"][0]["time"], kDay * 86400);

  const Zone paris = Zone::locate("Europe/Paris").value();
  const auto list = nlohmann::json::parse(prediction_json("FR-TEST", views(paris, 2), paris, true));
  ASSERT_TRUE(list.is_array());
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[1]["date"], "2024-03-11");
  EXPECT_EQ(list[0]["time_zone"], "Europe/Paris");
  EXPECT_EQ(list[0]["extremes"][0]["local_time"], "2024-03-10T04:53:54+01:00");
}

TEST(PredictionCsv, OneRowPerWater) {
  const Zone paris = Zone::locate("Europe/Paris").value();
  const std::string csv = prediction_csv("FR,TEST", views(paris, 3), paris);
  EXPECT_EQ(csv.substr(0, csv.find('\n')), "port_id,date,time,datetime,tide,height,coefficient");
  EXPECT_EQ(count(csv, "\n"), 1u + 12u);
  EXPECT_NE(csv.find("\"FR,TEST\",2024-03-10,1710042834,2024-03-10T04:53:54+01:00,high,"),
            std::string::npos)
      << csv;
  EXPECT_NE(csv.find(",low,"), std::string::npos);
  EXPECT_NE(csv.find(",114\n"), std::string::npos);
}

TEST(CsvField, QuotesOnlyWhenNeeded) {
  EXPECT_EQ(csv_field("Brest"), "Brest");
  EXPECT_EQ(csv_field("a,b"), "\"a,b\"");
  EXPECT_EQ(csv_field("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(csv_field("two\nlines"), "\"two\nlines\"");
}

TEST(Ports, TableJsonCsvAndDetails) {
  const std::vector<ports::Port> list{station()};
  EXPECT_EQ(ports_table(list),
            "ID       LATITUDE  LONGITUDE  NAME\n"
            "FR-TEST    48.383     -4.495  Île d'Essai — Nord\n");
  const auto json = nlohmann::json::parse(ports_json(list));
  EXPECT_EQ(json[0]["name"], "Île d'Essai — Nord");
  EXPECT_EQ(json[0]["constituents"][0]["phase_lag"], 108.5);
  EXPECT_EQ(ports_csv(list),
            "id,name,latitude,longitude,mean_water_level,atlantic_coast\n"
            "FR-TEST,Île d'Essai — Nord,48.383,-4.495,4.25,true\n");
  const std::string details = port_text(station());
  EXPECT_NE(details.find("48.383° N, 4.495° W"), std::string::npos) << details;
  EXPECT_NE(details.find("  M2      2.051 m    108.50°"), std::string::npos) << details;
}

TEST(Height, TextAndJson) {
  const Zone paris = Zone::locate("Europe/Paris").value();
  EXPECT_EQ(height_text(station(), 1767268800, 5.295773, paris),
            "Île d'Essai — Nord (FR-TEST) at 2026-01-01 13:00:00 CET: 5.30 m\n");
  const auto json = nlohmann::json::parse(height_json("FR-TEST", 1767268800, 5.295773, Zone{}));
  EXPECT_EQ(json,
            (nlohmann::json{{"port_id", "FR-TEST"}, {"time", 1767268800}, {"height", 5.295773}}));
  // A caller's text that is not UTF-8 cannot break the JSON.
  EXPECT_TRUE(nlohmann::json::accept(height_json("\xff", 0, 1.0, Zone{})));
}

}  // namespace
}  // namespace nerith::cli
