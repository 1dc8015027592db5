#include "nerith/api.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>

#include "builtin/db.hpp"
#include "builtin/harmonic/engine.hpp"
#include "builtin_port.hpp"
#include "nerith/ports/search.hpp"

namespace {

using nerith::api::ApiError;
using nerith::api::civil_from_days;
using nerith::api::CivilDate;
using nerith::api::day_bounds_utc;
using nerith::api::format_date;
using nerith::api::height_at;
using nerith::api::predict_day;
using nerith::api::predict_range;
using nerith::harmonic::engine::AstronomicalArguments;
using nerith::harmonic::engine::NodalCorrections;
using nerith::ports::Port;

constexpr std::int64_t kDay = 86400;
constexpr std::int64_t k20240310 = 1710028800;

ApiError port_not_found(std::string text) {
  return {ApiError::Kind::PortNotFound, text};
}
ApiError invalid_date(std::string text) {
  return {ApiError::Kind::InvalidDate, text};
}

const Port& brest() {
  return nerith::testing::builtin_port("FR-BREST");
}

// A custom station with Brest's tide but away from the Atlantic coast.
std::string inland_brest() {
  Port port = brest();
  port.id = "ZZ-API-TEST-INLAND-BREST";
  port.atlantic_coast = false;
  (void)nerith::ports::search::add_custom_port(port);  // already there on a second call
  return port.id;
}

// ---- Civil-day bounds -------------------------------------------------------

TEST(DayBoundsUtc, AcceptedDates) {
  struct Case {
    const char* text;
    std::int64_t start;
  };
  const Case cases[] = {
      {"1970-01-01", 0},
      {"1969-12-31", -kDay},
      {"2024-03-10", k20240310},
      {"0000-01-01", -62167219200},  // year 0 is a leap year of the proleptic calendar
      {"0000-02-29", -62167219200 + 59 * kDay},
      {"2024-02-29", 1709164800},
      {"2000-02-29", 951782400},
      {"9999-12-31", 2932896 * kDay},
      // Lenient spellings: empty and non-numeric pieces are skipped.
      {"2024-3-10", k20240310},
      {"+2024-03-10", k20240310},
      {"2024-+03-+10", k20240310},
      {"2024--03-10", k20240310},
      {"2024-03-10-", k20240310},
      {"-2024-03-10", k20240310},  // no negative years: the sign is a separator
      {"2024-03-x-10", k20240310},
      {"002024-0003-010", k20240310},
      {"0099-01-01", -59042995200},
      {"99-01-01", -59042995200},
  };
  for (const Case& c : cases) {
    const auto bounds = day_bounds_utc(c.text);
    ASSERT_TRUE(bounds.has_value()) << c.text;
    EXPECT_EQ(bounds->first, c.start) << c.text;
    EXPECT_EQ(bounds->second, c.start + kDay) << c.text;
  }
}

TEST(DayBoundsUtc, RejectedDates) {
  const char* const cases[] = {
      "2023-02-29",
      "2024-04-31",
      "1900-02-29",
      "2100-02-29",
      "2024-00-10",
      "2024-13-10",
      "2024-03-00",
      "2024-03-32",
      "2024-03-10T00:00",  // third piece is not a number: two remain
      " 2024-03-10",       // nothing is trimmed
      "2024-03-10 ",       //
      "10-03-2024",        // day 2024
      "2024-03",
      "2024-03-10-5",
      "",
      "-",
      "---",
      "2024/03/10",
      "++2024-03-10",  // one '+' at most
      "2024-03-1e1",
      "2024-03-0x0A",
      "2147483648-01-01",          // year beyond i32: skipped, two numbers remain
      "2024-03-\xd9\xa1\xd9\xa0",  // non-ASCII digits
  };
  for (const char* text : cases) EXPECT_EQ(day_bounds_utc(text), std::nullopt) << text;
}

TEST(DayBoundsUtc, LargestYearsStayExact) {
  // The largest writable years: no overflow, and the calendar check holds.
  const auto last = day_bounds_utc("2147483647-12-31");
  ASSERT_TRUE(last.has_value());
  EXPECT_EQ(last->second - last->first, kDay);
  EXPECT_EQ(civil_from_days(last->first / kDay), (CivilDate{2147483647, 12, 31}));
  const auto first = day_bounds_utc("2147483647-01-01");
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(last->first - first->first, 364 * kDay);
  EXPECT_EQ(day_bounds_utc("2147483647-02-29"), std::nullopt);  // not a leap year
}

TEST(DayBoundsUtc, EveryDayOfYears0To9999MatchesTheProlepticGregorianCalendar) {
  using namespace std::chrono;
  for (std::int64_t d = -719528; d <= 2932896; ++d) {
    const year_month_day ymd{sys_days{days{d}}};
    const CivilDate date = civil_from_days(d);
    ASSERT_EQ(date, (CivilDate{static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
                               static_cast<unsigned>(ymd.day())}));
    const auto bounds = day_bounds_utc(format_date(date));
    ASSERT_TRUE(bounds.has_value()) << d;
    ASSERT_EQ(bounds->first, d * kDay);
  }
}

TEST(CivilFromDays, ExtremeDayNumbersDoNotOverflow) {
  EXPECT_EQ(civil_from_days(std::numeric_limits<std::int64_t>::max()),
            (CivilDate{25252734927768524, 7, 27}));
  EXPECT_FALSE(format_date(civil_from_days(std::numeric_limits<std::int64_t>::min())).empty());
}

// Every quotient and remainder near the ends of the i64 range and near the
// 400-year boundaries, where an intermediate leaves i64 or changes sign.
TEST(CivilFromDays, ExtremeDayNumbersAreExact) {
  constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
  constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
  const std::pair<std::int64_t, CivilDate> cases[] = {
      {kMin, {-25252734927764584, -5, -23}},
      {kMin + 1, {-25252734927764584, -5, -22}},
      {-2618730, {-5200, 3, 0}},
      {-2472633, {-4800, 3, 0}},
      {-2472632, {-4800, 3, 1}},
      {-2472631, {-4800, 3, 2}},
      {kMax - 2472632, {25252734927761754, 9, 25}},
      {kMax - 2472631, {25252734927761754, 9, 26}},
      {kMax - 1, {25252734927768524, 7, 26}},
  };
  for (const auto& [days, date] : cases) EXPECT_EQ(civil_from_days(days), date) << days;
}

#ifdef __SIZEOF_INT128__
// The same formula in 128 bits, where the compiler has them (not on 32-bit ARM).
TEST(CivilFromDays, MatchesTheFormulaIn128BitsAcrossTheRange) {
  __extension__ using Wide = __int128;
  auto wide = [](std::int64_t days) {
    const Wide a = Wide{days} + 2472632;
    const Wide b = (4 * a + 3) / 146097;
    const Wide c = a - (146097 * b) / 4;
    const Wide e = (4 * c + 3) / 1461;
    const Wide f = c - (1461 * e) / 4;
    const Wide m = (5 * f + 2) / 153;
    return CivilDate{static_cast<std::int64_t>(100 * b + e - 4800 + m / 10),
                     static_cast<std::int64_t>(m + 3 - 12 * (m / 10)),
                     static_cast<std::int64_t>(f - (153 * m + 2) / 5 + 1)};
  };
  // Every shift of a pseudo-random sequence covers each magnitude and sign.
  std::uint64_t x = 0x9e3779b97f4a7c15;
  for (int i = 0; i < 200000; ++i) {
    x = x * 6364136223846793005 + 1442695040888963407;
    const auto days = static_cast<std::int64_t>(x) >> (i % 64);
    ASSERT_EQ(civil_from_days(days), wide(days)) << days;
  }
}
#endif

TEST(FormatDate, PadsYearToFourAndMonthDayToTwo) {
  struct Case {
    CivilDate date;
    const char* text;
  };
  const Case cases[] = {
      {{2024, 3, 10}, "2024-03-10"},    {{99, 1, 1}, "0099-01-01"}, {{0, 1, 1}, "0000-01-01"},
      {{12345, 12, 31}, "12345-12-31"}, {{-5, 1, 1}, "-005-01-01"},  // the minus sign counts toward
                                                                     // the four
  };
  for (const Case& c : cases) EXPECT_EQ(format_date(c.date), c.text);
}

// ---- height_at ---------------------------------------------------------------

TEST(HeightAt, BrestOnNewYearsDay2026) {
  const auto h = height_at("FR-BREST", 1767268800);
  ASSERT_TRUE(h.has_value());
  EXPECT_NEAR(*h, 5.295773, 5e-7);
}

TEST(HeightAt, ArgumentsAreTakenAtTheMidnightAtOrBeforeT) {
  const Port& port = brest();
  struct Case {
    std::int64_t t;
    std::int64_t t_ref;
  };
  const Case cases[] = {{0, 0},           {86399, 0},        {86400, 86400},          {-1, -86400},
                        {-86400, -86400}, {-86401, -172800}, {1767268800, 1767225600}};
  for (const Case& c : cases) {
    const double want = nerith::harmonic::engine::height_with_nodal(
        c.t, c.t_ref, port.constituents, AstronomicalArguments::at(c.t_ref),
        NodalCorrections::at(c.t_ref), port.mean_water_level);
    EXPECT_EQ(height_at("FR-BREST", c.t), want) << c.t;
  }
}

TEST(HeightAt, EveryInstantIsAccepted) {
  for (std::int64_t t :
       {std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::min() + 1,
        std::numeric_limits<std::int64_t>::max()}) {
    EXPECT_TRUE(height_at("FR-BREST", t).has_value()) << t;
  }
}

TEST(HeightAt, UnknownPortCarriesTheIdentifierVerbatim) {
  for (const char* id : {"XX", "", "fr-brest", " FR-BREST", "FR-BREST "}) {
    EXPECT_EQ(height_at(id, 0), std::unexpected(port_not_found(id))) << id;
  }
}

TEST(HeightAt, StationWithoutConstituentsAnswersItsMeanLevel) {
  Port flat{"ZZ-API-TEST-FLAT", "Flat", 0.0, 0.0, 3.25, true, {}};
  (void)nerith::ports::search::add_custom_port(flat);
  EXPECT_EQ(height_at("ZZ-API-TEST-FLAT", 1767268800), 3.25);
}

// ---- predict_day ---------------------------------------------------------------

TEST(PredictDay, BrestOn2024_03_10) {
  const auto day = predict_day("FR-BREST", "2024-03-10");
  ASSERT_TRUE(day.has_value());
  EXPECT_EQ(day->port_id, "FR-BREST");
  EXPECT_EQ(day->date, "2024-03-10");
  ASSERT_EQ(day->heights.size(), 145u);
  for (std::size_t i = 0; i < day->heights.size(); ++i) {
    EXPECT_EQ(day->heights[i].time, k20240310 + 600 * static_cast<std::int64_t>(i));
  }
  EXPECT_EQ(day->heights,
            nerith::harmonic::engine::compute_heights(
                k20240310, k20240310 + kDay, 600, brest().constituents, brest().mean_water_level));
  using E = nerith::harmonic::extremes::Extreme;
  const std::vector<std::pair<E, double>> want = {
      {{1710042834, 0, true, 110}, 7.3971},
      {{1710065671, 0, false, std::nullopt}, 0.9561},
      {{1710087234, 0, true, 114}, 7.4218},
      {{1710109940, 0, false, std::nullopt}, 0.9185},
  };
  ASSERT_EQ(day->extremes.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(day->extremes[i].time, want[i].first.time);
    EXPECT_EQ(day->extremes[i].is_high, want[i].first.is_high);
    EXPECT_EQ(day->extremes[i].coefficient, want[i].first.coefficient);
    EXPECT_NEAR(day->extremes[i].height, want[i].second, 1e-4);
  }
}

TEST(PredictDay, KeepsTheCallersDateText) {
  const auto day = predict_day("FR-BREST", "2024-3-10");
  ASSERT_TRUE(day.has_value());
  EXPECT_EQ(day->date, "2024-3-10");
  EXPECT_EQ(day->heights.front().time, k20240310);
}

TEST(PredictDay, Errors) {
  struct Case {
    const char* port;
    const char* date;
    ApiError error;
  };
  const Case cases[] = {
      {"XX", "2024-03-10", port_not_found("XX")},
      {"XX", "2024-02-30", port_not_found("XX")},  // the port is checked first
      {"", "", port_not_found("")},
      {"FR-BREST", "2024-02-30", invalid_date("2024-02-30")},
      {"FR-BREST", " 2024-03-10", invalid_date(" 2024-03-10")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(predict_day(c.port, c.date), std::unexpected(c.error)) << c.port << " " << c.date;
  }
}

TEST(PredictDay, NoCoefficientAwayFromTheAtlanticCoast) {
  const auto day = predict_day(inland_brest(), "2024-03-10");
  ASSERT_TRUE(day.has_value());
  EXPECT_EQ(day->extremes.size(), 4u);
  for (const auto& e : day->extremes) EXPECT_EQ(e.coefficient, std::nullopt);
}

// ---- predict_range -------------------------------------------------------------

TEST(PredictRange, NamesEveryDayCanonically) {
  struct Case {
    const char* first;
    const char* last;
    std::vector<std::string> dates;
  };
  const Case cases[] = {
      {"2024-02-28", "2024-03-01", {"2024-02-28", "2024-02-29", "2024-03-01"}},
      {"2024-03-10", "2024-03-10", {"2024-03-10"}},
      {"2024-3-10", "+2024-03-10", {"2024-03-10"}},
      {"1969-12-31", "1970-01-01", {"1969-12-31", "1970-01-01"}},
      {"99-12-31", "100-1-1", {"0099-12-31", "0100-01-01"}},
  };
  for (const Case& c : cases) {
    const auto days = predict_range("FR-BREST", c.first, c.last);
    ASSERT_TRUE(days.has_value()) << c.first;
    std::vector<std::string> dates;
    for (const auto& day : *days) {
      dates.push_back(day.date);
      EXPECT_EQ(day.port_id, "FR-BREST");
      EXPECT_EQ(day, predict_day("FR-BREST", day.date));
    }
    EXPECT_EQ(dates, c.dates);
  }
}

TEST(PredictRange, Errors) {
  struct Case {
    const char* port;
    const char* first;
    const char* last;
    ApiError error;
  };
  const Case cases[] = {
      {"FR-BREST", "2024-03-10", "2024-03-01", invalid_date("2024-03-10 > 2024-03-01")},
      {"FR-BREST", "2024-3-10", "2024-03-09", invalid_date("2024-3-10 > 2024-03-09")},
      {"FR-BREST", "2024-02-30", "2024-03-01", invalid_date("2024-02-30")},
      {"FR-BREST", "2024-03-01", "nope", invalid_date("nope")},
      {"FR-BREST", "bad", "worse", invalid_date("bad")},
      // The dates are checked before the port.
      {"XX", "2024-03-01", "2024-03-02", port_not_found("XX")},
      {"XX", "2024-02-30", "2024-03-01", invalid_date("2024-02-30")},
      {"XX", "2024-03-02", "2024-03-01", invalid_date("2024-03-02 > 2024-03-01")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(predict_range(c.port, c.first, c.last), std::unexpected(c.error))
        << c.port << " " << c.first << " " << c.last;
  }
}

}  // namespace
