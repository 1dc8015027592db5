#include "ics.hpp"

#include <gtest/gtest.h>

#include "synthetic.hpp"
#include "tide_keys.hpp"

namespace nerith::cli::ics {
namespace {

struct TextCase {
  std::string_view input;
  std::string_view escaped;
};

TEST(Ics, EscapesTextAndFoldsLinesAtSeventyFiveOctets) {
  const std::vector<TextCase> escapes{
      {"a,b;c\\d", "a\\,b\\;c\\\\d"},
      {"one\ntwo\r\nthree\rfour", "one\\ntwo\\nthree\\nfour"},
      {"bell\x07 tab\t", "bell tab"},
      {"Île d'Yeu", "Île d'Yeu"},
  };
  for (const auto& c : escapes) EXPECT_EQ(escape_text(c.input), c.escaped) << c.input;

  const auto octets_per_line = [](const std::string& folded) {
    std::vector<std::size_t> widths;
    for (std::size_t at = 0; at < folded.size();) {
      const std::size_t end = folded.find("\r\n", at);
      widths.push_back(end - at);
      at = end + 2;
    }
    return widths;
  };
  const std::string e_acute = "é";  // two octets
  const std::vector<std::pair<std::string, std::vector<std::size_t>>> folds{
      {std::string(75, 'a'), {75}},
      {std::string(76, 'a'), {75, 2}},
      {std::string(150, 'a'), {75, 75, 2}},
      // 74 octets then "é": the sequence moves whole to the next line.
      {std::string(74, 'a') + e_acute, {74, 3}},
      {std::string(73, 'a') + e_acute, {75}},
      {"", {0}},
  };
  for (const auto& [line, widths] : folds) {
    const std::string folded = fold_line(line);
    EXPECT_EQ(octets_per_line(folded), widths) << line;
    // Unfolding (dropping CRLF and the space after it) gives the line back.
    std::string unfolded = folded.substr(0, folded.size() - 2);
    for (auto at = unfolded.find("\r\n "); at != std::string::npos; at = unfolded.find("\r\n "))
      unfolded.erase(at, 3);
    EXPECT_EQ(unfolded, line);
  }
  EXPECT_EQ(utc_stamp(1710042780), "20240310T035300Z");
  EXPECT_EQ(utc_stamp(-1), "19691231T235959Z");
}

// A window as the calendar shows it: its event's start and end, or none,
// and which water's key it takes.
struct WindowCase {
  windows::WaterWindow window;
  windows::Side side;
  std::optional<std::pair<std::int64_t, std::int64_t>> shown;  // seconds of 2024-03-10
  std::string key;                                             // "high", "low", or a day's key
};

TEST(Ics, WritesOneEventPerWaterAndWindowKeyedByItsTide) {
  const ports::Port port{"FR-TEST", "Quai, Nord; Sud", 48.5, -4.25, 4.0, true, {{"M2", 2, 108.5}}};
  const std::int64_t from = 19792 * 86400;  // 2024-03-10
  const std::int64_t to = from + 86400;
  // 03:53:54 high, 10:14:31 low, and a high the day after, outside the days.
  const auto day = testing::synthetic_day(19792, {{14034, true, 95}, {36871, false, {}}});
  std::vector<Extreme> waters = day.extremes;
  waters.push_back({to + 14000, 6.0, true, {}});
  const Context context{waters, water_keys(TideClock(port), waters)};

  const std::vector<Event> events =
      water_events(port, "above chart datum", "official coefficients", context, from, to);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].uid, "FR-TEST-high-" + context.keys[0] + "@nerith");
  EXPECT_EQ(events[1].uid, "FR-TEST-low-" + context.keys[0] + "@nerith");  // the high's tide
  EXPECT_EQ(events[0].start, from + 14040);                                // 03:54
  EXPECT_EQ(events[1].start, from + 36900);                                // 10:15
  EXPECT_EQ(events[0].summary, "Quai, Nord; Sud: high water 3.52 m, coefficient 95");
  EXPECT_EQ(events[1].summary.find("coefficient"), std::string::npos);
  EXPECT_NE(events[0].description.find("above chart datum, official coefficients"),
            std::string::npos);

  using enum windows::Side;
  const std::string high = "above-3.300m-" + context.keys[0];
  const std::string low = "below-3.300m-" + context.keys[1];
  const std::vector<WindowCase> cases{
      // Above: opens at its start rounded up, closes at its end rounded down.
      {{from + 10801, from + 18719, false, false}, Above, {{10860, 18660}}, high},
      // Below (aground): widened the same way.
      {{from + 30030, from + 43230, false, false}, Below, {{30000, 43260}}, low},
      // Above for less than a whole minute: left out.
      {{from + 14010, from + 14050, false, false}, Above, std::nullopt, ""},
      // Longer than the calendar keeps whole: one event per day.
      {{from - 50 * 86400, from + 600, false, false},
       Below,
       {{0, 600}},
       "below-3.300m-day-20240310"},
      // Cut where the search for its start ended: the same.
      {{from - 86400, from + 601, true, false}, Below, {{0, 660}}, "below-3.300m-day-20240310"},
  };
  for (const auto& c : cases) {
    const auto found = window_events(port, "above chart datum", 3.3, c.side,
                                     std::span(&c.window, 1), context, from, to);
    ASSERT_EQ(found.size(), c.shown ? 1u : 0u) << c.window.start - from;
    if (!c.shown) continue;
    EXPECT_EQ(found[0].uid, "FR-TEST-" + c.key + "@nerith");
    EXPECT_EQ(found[0].start - from, c.shown->first);
    EXPECT_EQ(found[0].end - from, c.shown->second);
    EXPECT_EQ(found[0].summary, "Quai, Nord; Sud: water " +
                                    std::string(c.side == Above ? "above" : "below") + " 3.30 m");
  }

  const std::string text = calendar("Tides at Quai, Nord", port, events, 1700000000);
  EXPECT_TRUE(text.starts_with("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:"));
  EXPECT_TRUE(text.ends_with("END:VEVENT\r\nEND:VCALENDAR\r\n"));
  for (const std::string_view part :
       {"\r\nX-WR-CALNAME:Tides at Quai\\, Nord\r\n", "\r\nDTSTART:20240310T035400Z\r\n",
        "\r\nLOCATION:Quai\\, Nord\\; Sud (FR-TEST)\r\nGEO:48.500000;-4.250000\r\n",
        "DESCRIPTION:Quai\\, Nord\\; Sud (FR-TEST)"})
    EXPECT_NE(text.find(part), std::string::npos) << part;
  EXPECT_EQ(text.find("\n\n"), std::string::npos);
  EXPECT_EQ(calendar("Tides at Quai, Nord", port, events, 1700000000), text);  // reproducible
}

}  // namespace
}  // namespace nerith::cli::ics
