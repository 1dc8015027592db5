#include "chart.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "synthetic.hpp"

namespace nerith::cli {
namespace {

using testing::synthetic_day;

constexpr std::int64_t kDay = 19792;  // 2024-03-10
constexpr std::string_view kDatum = "above chart datum";

ports::Port station() {
  return {"FR-TEST", "Quai <Sud> & Nord", 48.0, -4.0, 4.0, true, {}};
}

std::vector<DayView> views(const Zone& zone, std::int64_t first, std::int64_t count) {
  const UtcSpan span = utc_days_covering(zone, first, count);
  std::vector<DayPrediction> utc;
  for (std::int64_t d = span.first; d <= span.last; ++d) {
    utc.push_back(synthetic_day(d, {{14034, true, 110}, {36871, false, {}}}));
  }
  return cut_local_days(utc, span.first, zone, first, count);
}

TEST(MakeChart, MarksWatersAndHoursOnTheLocalClock) {
  const Chart utc = make_chart(station(), views(Zone{}, kDay, 1), Zone{}, kDatum);
  EXPECT_EQ(utc.title, "Quai <Sud> & Nord");
  EXPECT_EQ(utc.subtitle, "Sunday 10 March 2024 · times UTC · heights in metres above chart datum");
  ASSERT_EQ(utc.days.size(), 1u);
  ASSERT_EQ(utc.days[0].marks.size(), 2u);
  EXPECT_EQ(utc.days[0].marks[0].clock, "03:54");  // 03:53:54, to the nearest minute
  EXPECT_EQ(utc.days[0].marks[0].coefficient, 110);
  EXPECT_FALSE(utc.days[0].marks[1].coefficient);
  ASSERT_EQ(utc.days[0].ticks.size(), 25u);
  EXPECT_EQ(utc.days[0].ticks[3].label, "03:00");
  EXPECT_EQ(utc.days[0].ticks[4].label, "");
  EXPECT_EQ(utc.days[0].ticks[24].label, "24:00");

  // The spring change: 23 hours, and 03:00 comes two hours after midnight.
  const Zone paris = Zone::locate("Europe/Paris").value();
  const Chart spring =
      make_chart(station(), views(paris, *parse_date("2024-03-31"), 1), paris, kDatum);
  ASSERT_EQ(spring.days[0].ticks.size(), 24u);
  EXPECT_EQ(spring.days[0].ticks[2].label, "03:00");
  EXPECT_EQ(spring.days[0].ticks[2].time - spring.days[0].ticks[0].time, 7200);
  EXPECT_NE(spring.subtitle.find("times Europe/Paris"), std::string::npos);
}

TEST(MakeChart, NamesTheSpanOfSeveralDays) {
  const auto subtitle = [](std::int64_t first, std::int64_t count) {
    return make_chart(station(), views(Zone{}, first, count), Zone{}, kDatum).subtitle;
  };
  EXPECT_TRUE(subtitle(kDay, 7).starts_with("10 – 16 March 2024 · times UTC"));
  EXPECT_TRUE(subtitle(*parse_date("2024-02-28"), 3).starts_with("28 February – 1 March 2024 ·"));
  EXPECT_TRUE(
      subtitle(*parse_date("2024-12-31"), 2).starts_with("31 December 2024 – 1 January 2025 ·"));
  EXPECT_EQ(make_chart(station(), views(Zone{}, kDay, 2), Zone{}, kDatum).days[1].heading,
            "Monday 11 March");
}

TEST(RenderSvg, DrawsEveryDayWithEscapedTexts) {
  const std::string svg = render_svg(make_chart(station(), views(Zone{}, kDay, 3), Zone{}, kDatum));
  EXPECT_EQ(svg.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
  EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
  EXPECT_NE(svg.find(">Quai &lt;Sud&gt; &amp; Nord</text>"), std::string::npos);
  EXPECT_EQ(svg.find("<Sud>"), std::string::npos);
  EXPECT_NE(svg.find(">coef 110</text>"), std::string::npos);
  EXPECT_NE(svg.find(">03:54</text>"), std::string::npos);
  EXPECT_NE(svg.find(">Tuesday 12 March</text>"), std::string::npos);
  std::size_t curves = 0;
  for (auto pos = svg.find("stroke=\"#0d47a1\" stroke-width=\"3\""); pos != std::string::npos;
       pos = svg.find("stroke=\"#0d47a1\" stroke-width=\"3\"", pos + 1)) {
    ++curves;
  }
  EXPECT_EQ(curves, 3u);
  // The whole curve, every sample of it: 145 points in each of the three days.
  const std::size_t path = svg.find("<path d=\"M");
  const std::string curve = svg.substr(path, svg.find('"', path + 9) - path);
  EXPECT_EQ(std::count(curve.begin(), curve.end(), 'L'), 144 + 2);  // + the two closing edges
}

std::size_t count(const std::string& text, std::string_view what) {
  std::size_t n = 0;
  for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) ++n;
  return n;
}

TEST(RenderSvg, DrawsTheLevelAndShadesTheWindowsOfEachDay) {
  Chart chart = make_chart(station(), views(Zone{}, kDay, 2), Zone{}, kDatum);
  const std::string plain = render_svg(chart);
  // A window across midnight shades both days; one outside them shades none.
  const std::int64_t midnight = (kDay + 1) * 86400;
  chart.windows = {{midnight - 3600, midnight + 7200, false, false},
                   {midnight + 40000, midnight + 43000, false, false},
                   {midnight + 5 * 86400, midnight + 6 * 86400, false, false}};
  EXPECT_EQ(render_svg(chart), plain);  // no level: drawn as before
  chart.level = 9.5;                    // above every water: the scale grows to show it
  const std::string svg = render_svg(chart);
  EXPECT_EQ(count(svg, "fill=\"#b3e5fc\""), 3u);
  EXPECT_EQ(count(svg, "stroke-dasharray"), 2u);
  EXPECT_EQ(count(svg, ">9.50 m</text>"), 2u);
  EXPECT_EQ(count(plain, "stroke-dasharray"), 0u);
  // The shading lies behind the curve, and the first day's ends at its end.
  EXPECT_LT(svg.find("#b3e5fc"), svg.find("stroke=\"#0d47a1\" stroke-width=\"3\""));
  EXPECT_NE(svg.find("<rect x=\"735.2\" y=\"158.0\" width=\"28.8\""), std::string::npos)
      << svg.substr(0, 3000);
  const std::size_t line = svg.find("stroke-dasharray");
  const std::size_t y = svg.rfind("y1=\"", line);
  EXPECT_GT(std::stod(svg.substr(y + 4)), 158.0 + 105 - 1);  // at or below the room for HW labels
}

TEST(RenderSvg, SurvivesEmptyAndNonFiniteDays) {
  Chart chart{"Empty", "", {ChartDay{"", 0, 86400, {{0, NAN}, {600, INFINITY}}, {}, {}}}};
  const std::string svg = render_svg(chart);
  EXPECT_EQ(svg.find("nan"), std::string::npos);
  EXPECT_EQ(svg.find("inf"), std::string::npos);
  EXPECT_NO_THROW(render_svg(Chart{}));
}

TEST(XmlEscape, EscapesMarkupAndDropsControlCharacters) {
  EXPECT_EQ(xml_escape("a<b>&\"c'"), "a&lt;b&gt;&amp;&quot;c&apos;");
  EXPECT_EQ(xml_escape("bell\x07 tab\t"), "bell tab\t");
  EXPECT_EQ(xml_escape("Île d'Yeu"), "Île d&apos;Yeu");
}

}  // namespace
}  // namespace nerith::cli
