#include "timezone.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace nerith::cli {
namespace {

Zone zone(std::string_view name) {
  auto located = Zone::locate(name);
  EXPECT_TRUE(located.has_value()) << name;
  return located.value_or(Zone{});
}

std::int64_t instant(std::string_view iso) {
  return parse_instant(iso, Zone{}, 0).value();
}

TEST(ParseDate, AcceptsOnlyRealDatesWrittenYYYYMMDD) {
  EXPECT_EQ(parse_date("2024-03-10"), 19792);
  EXPECT_EQ(parse_date("1970-01-01"), 0);
  EXPECT_EQ(parse_date("1969-12-31"), -1);
  EXPECT_EQ(parse_date("0000-01-01"), -719528);
  EXPECT_TRUE(parse_date("2024-02-29"));
  EXPECT_TRUE(parse_date("2000-02-29"));
  EXPECT_TRUE(parse_date("9999-12-31"));
  for (const std::string_view bad :
       {"2023-02-29", "1900-02-29", "2024-04-31", "2024-13-01", "2024-00-10", "2024-03-00",
        "2024-3-10", "24-03-10", "2024-03-10T00:00", " 2024-03-10", "2024-03-10 ", "2024/03/10",
        "+024-03-10", "10-03-2024", "", "today"}) {
    EXPECT_FALSE(parse_date(bad)) << bad;
  }
}

TEST(DateText, ZeroPadsTheYear) {
  EXPECT_EQ(date_text(19792), "2024-03-10");
  EXPECT_EQ(date_text(-1), "1969-12-31");
  EXPECT_EQ(date_text(-719528), "0000-01-01");
  EXPECT_EQ(date_text(*parse_date("9999-12-31")), "9999-12-31");
}

TEST(ZoneLocate, FindsSystemZonesAndRejectsAnythingElse) {
  EXPECT_TRUE(Zone::locate("UTC")->is_utc());
  EXPECT_EQ(zone("Europe/Paris").name(), "Europe/Paris");
  EXPECT_FALSE(zone("Europe/Paris").is_utc());
  for (const std::string_view bad :
       {"", "Europe/Nowhere", "europe/paris", "Europe", "/etc/passwd", "../../etc/passwd",
        "Europe/../Europe/Paris", "right/Europe/Paris", "Europe/Paris ", "CET-1CEST"}) {
    const auto located = Zone::locate(bad);
    ASSERT_FALSE(located) << bad;
    EXPECT_NE(located.error().find("unknown time zone"), std::string::npos);
  }
}

struct Reading {
  std::string_view zone;
  std::string_view utc;
  std::string_view clock;
  std::int64_t offset;
  std::string_view abbreviation;
};

TEST(ZoneLocal, ReadsLegalTimeWithDaylightSaving) {
  const std::vector<Reading> cases{
      {"UTC", "2024-03-10T03:53:54Z", "03:53", 0, "UTC"},
      {"Europe/Paris", "2024-03-10T03:53:54Z", "04:53", 3600, "CET"},
      {"Europe/Paris", "2024-07-15T03:53:54Z", "05:53", 7200, "CEST"},
      // Past the last transition listed in the zone file its rules still apply.
      {"Europe/Paris", "2050-07-01T12:00:00Z", "14:00", 7200, "CEST"},
      {"Europe/Paris", "2050-12-01T12:00:00Z", "13:00", 3600, "CET"},
      {"Europe/Paris", "9999-07-01T12:00:00Z", "14:00", 7200, "CEST"},
      {"America/Santiago", "2100-01-15T12:00:00Z", "09:00", -10800, "-03"},
      {"Australia/Lord_Howe", "2100-01-15T12:00:00Z", "23:00", 39600, "+11"},  // half an hour
      {"Asia/Kathmandu", "2024-03-10T00:00:00Z", "05:45", 20700, "+0545"},
      {"America/New_York", "2024-03-10T03:00:00Z", "22:00", -18000, "EST"},
  };
  for (const auto& c : cases) {
    const LocalTime local = zone(c.zone).local(instant(c.utc));
    EXPECT_EQ(clock_text(local), c.clock) << c.zone << " " << c.utc;
    EXPECT_EQ(local.offset, c.offset) << c.zone << " " << c.utc;
    EXPECT_EQ(local.abbreviation, c.abbreviation) << c.zone << " " << c.utc;
  }
  // Before 1970 and across local midnight the day follows the local clock.
  const LocalTime late = zone("America/New_York").local(instant("1960-01-01T03:00:00Z"));
  EXPECT_EQ(date_text(late.day), "1959-12-31");
  EXPECT_EQ(late.second, 22 * 3600);
}

TEST(ZoneFromLocal, PicksTheEarliestReadingAndTheJumpForSkippedOnes) {
  const Zone paris = zone("Europe/Paris");
  const auto local = [](std::string_view iso) { return instant(iso); };  // a reading, as seconds
  EXPECT_EQ(paris.from_local(local("2024-03-10T04:53:54Z")), instant("2024-03-10T03:53:54Z"));
  // 02:30 does not exist on 31 March 2024; the clocks jump at 01:00 UTC.
  EXPECT_EQ(paris.from_local(local("2024-03-31T02:30:00Z")), instant("2024-03-31T01:00:00Z"));
  // 02:30 happens twice on 27 October 2024; the first is still summer time.
  EXPECT_EQ(paris.from_local(local("2024-10-27T02:30:00Z")), instant("2024-10-27T00:30:00Z"));
}

TEST(ZoneDayStart, GivesDaysOf23And25HoursOnChangeDays) {
  const Zone paris = zone("Europe/Paris");
  const std::int64_t spring = *parse_date("2024-03-31");
  EXPECT_EQ(paris.day_start(spring), instant("2024-03-30T23:00:00Z"));
  EXPECT_EQ(paris.day_start(spring + 1) - paris.day_start(spring), 23 * 3600);
  const std::int64_t autumn = *parse_date("2024-10-27");
  EXPECT_EQ(paris.day_start(autumn + 1) - paris.day_start(autumn), 25 * 3600);
  EXPECT_EQ(Zone{}.day_start(19792), 1710028800);
  // Chile moves its clocks at midnight: 8 September 2024 begins at 01:00.
  EXPECT_EQ(zone("America/Santiago").day_start(*parse_date("2024-09-08")),
            instant("2024-09-08T04:00:00Z"));
}

TEST(IsoText, CarriesTheOffset) {
  EXPECT_EQ(iso_text(1710042834, Zone{}), "2024-03-10T03:53:54Z");
  EXPECT_EQ(iso_text(1710042834, zone("Europe/Paris")), "2024-03-10T04:53:54+01:00");
  EXPECT_EQ(iso_text(instant("2024-03-10T12:00:00Z"), zone("America/New_York")),
            "2024-03-10T08:00:00-04:00");
  // Paris mean time until 1891: nine minutes and 21 seconds ahead of Greenwich.
  EXPECT_EQ(iso_text(instant("1850-06-01T12:00:00Z"), zone("Europe/Paris")),
            "1850-06-01T12:09:21+00:09:21");
}

TEST(ParseInstant, ReadsUnixSecondsAndIso8601) {
  const Zone utc;
  const Zone paris = zone("Europe/Paris");
  struct Case {
    std::string_view text;
    const Zone* zone;
    std::optional<std::int64_t> expected;
  };
  const std::vector<Case> cases{
      {"2026-01-01T12:00:00Z", &utc, 1767268800},
      {"2026-01-01t12:00z", &utc, 1767268800},
      {"2026-01-01 12:00Z", &utc, 1767268800},
      {"2026-01-01T13:00:00+01:00", &utc, 1767268800},
      {"2026-01-01T07:00-0500", &utc, 1767268800},
      {"2026-01-01T12:00", &utc, 1767268800},
      {"2026-01-01T13:00", &paris, 1767268800},
      {"2026-01-01T12:00:00Z", &paris, 1767268800},
      {"1767268800", &utc, 1767268800},
      {"+5", &utc, 5},
      {"-1", &utc, -1},
      {"now", &utc, 42},
      {"253402300799", &utc, 253402300799},
      {"253402300800", &utc, std::nullopt},
      {"-62167219201", &utc, std::nullopt},
      {"99999999999999999999", &utc, std::nullopt},
      {"", &utc, std::nullopt},
      {"-", &utc, std::nullopt},
      {"12:00", &utc, std::nullopt},
      {"2026-01-01", &utc, std::nullopt},
      {"2026-01-01T24:00Z", &utc, std::nullopt},
      {"2026-01-01T12:60Z", &utc, std::nullopt},
      {"2026-01-01T12:00:60Z", &utc, std::nullopt},
      {"2026-01-01T12:00:00+25:00", &utc, std::nullopt},
      {"2026-01-01T12:00:00ZZ", &utc, std::nullopt},
      {"2026-01-01T12:00:00 Z", &utc, std::nullopt},
      {"2026-02-30T12:00Z", &utc, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(parse_instant(c.text, *c.zone, 42), c.expected) << c.text;
}

}  // namespace
}  // namespace nerith::cli
