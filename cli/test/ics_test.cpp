#include "ics.hpp"

#include <gtest/gtest.h>

#include "synthetic.hpp"

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

TEST(Ics, WritesOneStableEventPerWaterAndWindow) {
  const ports::Port port{"FR-TEST", "Quai, Nord; Sud", 48.0, -4.0, 4.0, true, {}};
  const auto day = testing::synthetic_day(19792, {{14034, true, 95}, {36871, false, {}}});
  const auto views = cut_local_days(std::span(&day, 1), 19792, Zone{}, 19792, 1);
  const std::vector<windows::WaterWindow> windows{{1710043200, 1710061920, true, false}};

  std::vector<Event> events = water_events(port, "chart datum", views);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].uid, "FR-TEST-high-20240310T035354Z@nerith");
  EXPECT_EQ(events[0].summary, "High water 3.52 m, coefficient 95");
  EXPECT_EQ(events[1].summary.find("coefficient"), std::string::npos);
  const auto window = window_events(port, 3.3, windows::Side::Above, windows);
  ASSERT_EQ(window.size(), 1u);
  EXPECT_EQ(window[0].uid, "FR-TEST-above-20240310T040000Z@nerith");
  EXPECT_NE(window[0].description.find("for 5h 12m; already open before"), std::string::npos);
  events.insert(events.end(), window.begin(), window.end());

  const std::string text = calendar(events, 1700000000);
  EXPECT_TRUE(text.starts_with("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:"));
  EXPECT_TRUE(text.ends_with("END:VEVENT\r\nEND:VCALENDAR\r\n"));
  EXPECT_NE(text.find("\r\nDTSTART:20240310T040000Z\r\nDTEND:20240310T091200Z\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("DESCRIPTION:Quai\\, Nord\\; Sud (FR-TEST)"), std::string::npos);
  EXPECT_EQ(text.find("\n\n"), std::string::npos);
  EXPECT_EQ(calendar(events, 1700000000), text);  // reproducible for the same stamp
}

}  // namespace
}  // namespace nerith::cli::ics
