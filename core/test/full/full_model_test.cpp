// The full model against published tide tables, its data load, and its
// queries against the built-in ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/harmonic/extremes.hpp"
#include "nerith/api.hpp"
#include "nerith/full/api.hpp"
#include "nerith/ports/search.hpp"

namespace {

using namespace nerith;
using full::Coast;

std::int64_t utc(std::string_view date, int hour, int minute) {
  return api::day_bounds_utc(date)->first + hour * 3600 + minute * 60;
}

const harmonic::extremes::Extreme* nearest_high(const ports::DayPrediction& day, std::int64_t t) {
  const harmonic::extremes::Extreme* best = nullptr;
  for (const auto& e : day.extremes) {
    if (e.is_high && (best == nullptr || std::llabs(e.time - t) < std::llabs(best->time - t))) {
      best = &e;
    }
  }
  return best;
}

// Published high waters (French tide tables, times converted to UTC).
// Several crests are flat at neaps (L'Herbaudière on 2020-01-01), so the
// bounds leave room; they are still tight enough to catch M3's convention.
TEST(FullAccuracy, PublishedHighWaterTimes) {
  struct Published {
    const char* station;
    const char* date;
    int hour, minute;
  };
  const Published table[] = {
      {"FR-SAINT-MALO", "2024-03-10", 6, 11},    {"FR-SAINT-MALO", "2024-03-10", 18, 37},
      {"FR-SAINT-MALO", "2024-03-12", 7, 37},    {"FR-SAINT-MALO", "2024-03-12", 19, 58},
      {"FR-ROSCOFF", "2024-03-11", 18, 25},      {"FR-LA-ROCHELLE", "2024-03-11", 16, 39},
      {"FR-ARCACHON", "2024-03-11", 17, 32},     {"FR-ARCACHON", "2025-09-09", 17, 34},
      {"FR-DUNKERQUE", "2025-09-09", 12, 35},    {"FR-CONCARNEAU", "2025-09-09", 16, 38},
      {"FR-L-HERBAUDIERE", "2020-01-01", 6, 58}, {"FR-L-HERBAUDIERE", "2020-01-01", 19, 6},
  };
  std::vector<double> minutes;
  for (const Published& p : table) {
    const auto day = full::predict_day(p.station, p.date);
    ASSERT_TRUE(day) << p.station;
    const std::int64_t published = utc(p.date, p.hour, p.minute);
    const auto* high = nearest_high(*day, published);
    ASSERT_NE(high, nullptr) << p.station << ' ' << p.date;
    minutes.push_back(std::abs(static_cast<double>(high->time - published)) / 60.0);
  }
  std::ranges::sort(minutes);
  const std::size_t n = minutes.size();
  const double median = (minutes[(n - 1) / 2] + minutes[n / 2]) / 2.0;
  double mean = 0.0;
  for (const double m : minutes) mean += m / static_cast<double>(n);
  // Measured: median 3.3 min, mean 5.1 min, max 14.5 min (L'Herbaudière's
  // neap evening crest). M3 with a 180° offset gives 3.6, 6.6 and 24.8: the
  // mean and the maximum catch that choice.
  EXPECT_LE(median, 4.0);
  EXPECT_LE(mean, 5.8);
  EXPECT_LE(minutes.back(), 19.0);
  std::printf("full model high waters: median %.1f min, mean %.1f min, max %.1f min over %zu\n",
              median, mean, minutes.back(), n);
}

// Published Brest coefficients, in the day's order of high waters. Each
// holds within ±1 but one: 2025-09-09's morning, published 104, where the
// model gave 106 (105.55 before rounding) before its turning points were
// placed to the second and now gives 105.
TEST(FullAccuracy, PublishedBrestCoefficients) {
  struct Published {
    const char* date;
    std::vector<int> coefficients;
    int tolerance;
  };
  const Published table[] = {
      {"2024-03-10", {104, 110}, 1}, {"2024-03-11", {114, 116}, 1}, {"2024-03-12", {117, 115}, 1},
      {"2025-09-09", {104}, 2},      {"2025-09-10", {106}, 1},
  };
  for (const Published& p : table) {
    SCOPED_TRACE(p.date);
    const auto day = full::predict_day("FR-BREST", p.date);
    ASSERT_TRUE(day);
    std::vector<int> got;
    for (const auto& e : day->extremes) {
      if (e.is_high) got.push_back(e.coefficient.value_or(-1));
    }
    std::printf("Brest %s:", p.date);
    for (const int c : got) std::printf(" %d", c);
    std::printf("\n");
    ASSERT_GE(got.size(), p.coefficients.size());
    for (std::size_t i = 0; i < p.coefficients.size(); ++i) {
      EXPECT_LE(std::abs(got[i] - p.coefficients[i]), p.tolerance) << "high water " << i;
    }
  }
}

// Coefficients: an Atlantic station's high waters take Brest's, the
// Mediterranean and overseas none; low waters never.
TEST(FullCoefficient, GradedOnTheAtlanticCoastOnly) {
  const auto brest = full::predict_day("FR-BREST", "2024-03-10");
  const auto conquet = full::predict_day("FR-LE-CONQUET", "2024-03-10");
  ASSERT_TRUE(brest && conquet);
  for (const auto& e : conquet->extremes) {
    EXPECT_EQ(e.coefficient.has_value(), e.is_high);
    if (e.is_high) {
      EXPECT_EQ(e.coefficient, nearest_high(*brest, e.time)->coefficient);
    }
  }
  for (const char* id : {"FR-MARSEILLE", "FR-PAPEETE", "FR-FORT-DE-FRANCE"}) {
    const auto day = full::predict_day(id, "2024-03-10");
    ASSERT_TRUE(day) << id;
    ASSERT_FALSE(day->extremes.empty()) << id;
    for (const auto& e : day->extremes) EXPECT_FALSE(e.coefficient.has_value()) << id;
  }
}

// The queries give height_at's heights on the day grid (astronomy at the
// instant there, at the day's start and middle here): within 1 mm.
TEST(FullApi, DayGridMatchesHeightAt) {
  for (const char* id : {"FR-BREST", "FR-PAPEETE"}) {
    const auto day = full::predict_day(id, "2024-03-10");
    ASSERT_TRUE(day);
    ASSERT_EQ(day->heights.size(), 145u);
    EXPECT_EQ(day->heights.front().time, 1710028800);
    EXPECT_EQ(day->heights.back().time, 1710115200);
    for (std::size_t i = 0; i < day->heights.size(); i += 7) {
      const auto& sample = day->heights[i];
      EXPECT_NEAR(*full::height_at(id, sample.time), sample.height, 0.001) << id << ' ' << i;
    }
    for (std::size_t i = 1; i < day->extremes.size(); ++i) {
      EXPECT_GE(day->extremes[i].time - day->extremes[i - 1].time, 1800);
    }
  }
  // Heights are above chart datum: Brest's day stays between its LAT and HAT.
  const auto brest = full::get_port("FR-BREST");
  ASSERT_TRUE(brest.has_value());
  const auto day = full::predict_day("FR-BREST", "2024-03-10");
  for (const auto& sample : day->heights) {
    EXPECT_GT(sample.height, -0.5);
    EXPECT_LT(sample.height, 8.5);
  }
}

// Dates, records and errors as the built-in queries give them.
TEST(FullApi, SameDatesAndErrorsAsTheBuiltInQueries) {
  using Kind = api::ApiError::Kind;
  struct Case {
    const char* id;
    const char* first;
    const char* last;  // nullptr: predict_day
    Kind kind;
    const char* text;
  };
  const Case errors[] = {
      {"FR-NOWHERE", "2024-02-30", nullptr, Kind::PortNotFound, "FR-NOWHERE"},
      {"FR-BREST", "2024-02-30", nullptr, Kind::InvalidDate, "2024-02-30"},
      {"FR-NOWHERE", "2024-13-01", "2024-03-01", Kind::InvalidDate, "2024-13-01"},
      {"FR-BREST", "2024-03-01", "x", Kind::InvalidDate, "x"},
      {"FR-BREST", "2024-03-10", "2024-03-01", Kind::InvalidDate, "2024-03-10 > 2024-03-01"},
      {"FR-NOWHERE", "2024-03-01", "2024-03-02", Kind::PortNotFound, "FR-NOWHERE"},
      {"fr-brest", "2024-03-01", nullptr, Kind::PortNotFound, "fr-brest"},
  };
  for (const Case& c : errors) {
    const auto error = c.last == nullptr ? full::predict_day(c.id, c.first).error()
                                         : full::predict_range(c.id, c.first, c.last).error();
    EXPECT_EQ(error, (api::ApiError{c.kind, c.text})) << c.id << ' ' << c.first;
  }
  EXPECT_EQ(full::height_at("FR-NOWHERE", 0).error().kind, Kind::PortNotFound);

  const auto lenient = full::predict_day("FR-LE-CONQUET", "2024-3-10");
  ASSERT_TRUE(lenient);
  EXPECT_EQ(lenient->date, "2024-3-10");
  EXPECT_EQ(lenient->port_id, "FR-LE-CONQUET");
  const auto range = full::predict_range("FR-BREST", "2024-02-28", "2024-03-01");
  ASSERT_TRUE(range);
  ASSERT_EQ(range->size(), 3u);
  EXPECT_EQ((*range)[1].date, "2024-02-29");
  EXPECT_EQ((*range)[1], *full::predict_day("FR-BREST", "2024-02-29"));
}

// The catalogue: 106 gauges, 52 + 15 + 39 by coast, 50 constituents each;
// the 14 gauges of the built-in table keep its ids and positions.
TEST(FullCatalogue, EmbeddedStations) {
  const auto stations = full::list_ports();
  ASSERT_EQ(stations.size(), 106u);
  int by_coast[3] = {};
  for (const auto& s : stations) {
    ++by_coast[static_cast<int>(s.coast)];
    EXPECT_EQ(s.constituents.size(), 50u) << s.id;
  }
  EXPECT_EQ(by_coast[0], 52);
  EXPECT_EQ(by_coast[1], 15);
  EXPECT_EQ(by_coast[2], 39);
  int shared = 0;
  for (const auto& port : ports::search::list_ports()) {
    const auto s = full::get_port(port.id);
    if (!s) continue;
    ++shared;
    EXPECT_NEAR(s->latitude, port.latitude, 0.01) << port.id;
    EXPECT_NEAR(s->longitude, port.longitude, 0.01) << port.id;
    EXPECT_EQ(s->coast, Coast::Atlantic);
  }
  EXPECT_EQ(shared, 14);
  EXPECT_NE(full::attribution().find("CC BY 4.0"), std::string_view::npos);
  EXPECT_NE(full::attribution().find("TICON-4"), std::string_view::npos);
  const auto papeete = full::get_port("FR-PAPEETE");
  ASSERT_TRUE(papeete.has_value());
  EXPECT_EQ(papeete->timezone, "Pacific/Tahiti");
  EXPECT_EQ(papeete->to_port().atlantic_coast, false);
  const auto tubuai = full::get_port("FR-TUBUAI");
  ASSERT_TRUE(tubuai.has_value());
  EXPECT_EQ(tubuai->timezone, "Pacific/Tahiti");
  EXPECT_NEAR(tubuai->longitude, -149.475, 1e-9);
}

// The search compares as the built-in one: lower-cased id, then name.
TEST(FullCatalogue, SearchIgnoresCaseLikeTheBuiltInSearch) {
  const auto ids = [](const std::vector<full::Port>& found) {
    std::vector<std::string> out;
    for (const auto& s : found) out.push_back(s.id);
    return out;
  };
  EXPECT_EQ(ids(full::search_ports("fr-brest")), std::vector<std::string>{"FR-BREST"});
  EXPECT_EQ(ids(full::search_ports("PAIMBŒUF")), std::vector<std::string>{"FR-PAIMBOEUF"});
  EXPECT_EQ(ids(full::search_ports("nantes")).size(), 2u);
  EXPECT_TRUE(full::search_ports("no such place").empty());
  EXPECT_EQ(full::search_ports("").size(), 106u);
}

// The full model's windows, in metres above chart datum: each boundary is a
// crossing of its heights, and a drying level gives the low-water windows.
TEST(WaterWindows, FullModelBoundariesAreCrossings) {
  for (const double level : {1.0, 6.0}) {
    const auto found = nerith::full::water_windows("FR-BREST", "2024-03-10", "2024-03-12", level,
                                                   nerith::windows::Side::Below);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->size(), level < 3 ? 6u : 7u) << level;
    for (const nerith::windows::WaterWindow& w : *found) {
      const auto h = [](std::int64_t t) { return *nerith::full::height_at("FR-BREST", t); };
      if (!w.open_start) {
        EXPECT_TRUE(h(w.start - 5) >= level && h(w.start + 5) < level);
      }
      if (!w.open_end) {
        EXPECT_TRUE(h(w.end - 5) < level && h(w.end + 5) >= level);
      }
    }
  }
}

}  // namespace
