// The prediction paths prepare each window's terms once, evaluate each coarse
// instant once and read the day's height grid from the extremes scan. Every
// height, time and coefficient must still be exactly what the straightforward
// evaluation gives: this file keeps that evaluation, written out step by step
// on height_with_nodal, and compares with ==.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "builtin/db.hpp"
#include "builtin/harmonic/engine.hpp"
#include "builtin/harmonic/window.hpp"
#include "common/coefficient.hpp"
#include "common/harmonic/extremes.hpp"
#include "nerith/api.hpp"

namespace {

using nerith::harmonic::engine::AstronomicalArguments;
using nerith::harmonic::engine::height_with_nodal;
using nerith::harmonic::engine::HeightSample;
using nerith::harmonic::engine::NodalCorrections;
using nerith::harmonic::engine::WindowTerms;
using nerith::harmonic::extremes::Extreme;
using nerith::ports::HarmonicConstituent;
using nerith::ports::Port;
using Constituents = std::span<const HarmonicConstituent>;

constexpr std::int64_t kDay = 86400;

// ---- The straightforward evaluation -------------------------------------------

namespace straightforward {

// H(x) of one window: arguments at start, node at start + (end − start) / 2.
struct Curve {
  std::int64_t start;
  AstronomicalArguments astro;
  NodalCorrections nodal;
  Constituents constituents;
  double level;

  Curve(std::int64_t s, std::int64_t e, Constituents c, double l)
      : start(s),
        astro(AstronomicalArguments::at(s)),
        nodal(NodalCorrections::at(s + (e - s) / 2)),
        constituents(c),
        level(l) {}

  double operator()(std::int64_t x) const {
    return height_with_nodal(x, start, constituents, astro, nodal, level);
  }
};

std::vector<HeightSample> compute_heights(std::int64_t start, std::int64_t end, std::int64_t step,
                                          Constituents constituents, double level) {
  const Curve h(start, end, constituents, level);
  std::vector<HeightSample> samples;
  for (std::int64_t t = start; t <= end; t += step) samples.push_back({t, h(t)});
  return samples;
}

// The scan as written: three heights per step, eleven more per candidate.
std::vector<Extreme> find_extremes(std::int64_t start, std::int64_t end, Constituents constituents,
                                   double level) {
  if (end < start) return {};
  const Curve h(start, end, constituents, level);
  std::vector<Extreme> found;
  for (std::int64_t u = start; u <= end; u += 300) {
    const double h1 = h(u - 300);
    const double h2 = h(u);
    const double h3 = h(u + 300);
    if (!((h1 < h2 && h2 > h3) || (h1 > h2 && h3 > h2))) continue;
    std::int64_t lo = u - 300;
    std::int64_t hi = u + 300;
    const bool rising0 = h1 < h2;
    do {
      const std::int64_t m = (lo + hi) / 2;
      const bool rising = h(m) < h(m + 60);
      if (rising == rising0) {
        lo = m;
      } else {
        hi = m;
      }
    } while (hi - lo > 30);
    const std::int64_t tx = (lo + hi) / 2;
    const double hx = h(tx);
    if (start <= tx && tx < end) found.push_back({tx, hx, h2 > h1, std::nullopt});
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const Extreme& a, const Extreme& b) { return a.time < b.time; });
  std::vector<Extreme> kept;
  std::vector<std::int64_t> accepted;
  for (const Extreme& e : found) {
    const bool near = std::any_of(accepted.begin(), accepted.end(),
                                  [&](std::int64_t a) { return std::llabs(e.time - a) < 1800; });
    if (near) continue;
    kept.push_back(e);
    accepted.push_back(e.time);
  }
  return kept;
}

std::uint8_t grade(double range) {
  const double x = std::round(range / (5.38 / 95));
  std::int64_t points = 0;
  if (!std::isnan(x)) {
    points = static_cast<std::int64_t>(std::clamp(x, -2147483648.0, 2147483647.0));
  }
  if (points < 21) return 20;
  if (points >= 120) return 120;
  return static_cast<std::uint8_t>(points);
}

// `ref`: the reference port's extremes over [start − 7 h, end).
void assign_coefficients(std::vector<Extreme>& extremes, const std::vector<Extreme>& ref) {
  for (Extreme& e : extremes) {
    if (!e.is_high) continue;
    const Extreme* high = nullptr;
    for (const Extreme& r : ref) {
      if (r.is_high &&
          (high == nullptr || std::llabs(r.time - e.time) < std::llabs(high->time - e.time))) {
        high = &r;
      }
    }
    if (high == nullptr) continue;
    const Extreme* low = nullptr;
    for (const Extreme& r : ref) {
      if (!r.is_high && r.time < high->time) low = &r;  // ref is in time order
    }
    if (low == nullptr) continue;
    e.coefficient = grade(high->height - low->height);
  }
}

}  // namespace straightforward

// ---- Comparison -----------------------------------------------------------------

const std::vector<Port>& table() {
  return nerith::db::PORTS.get();
}

const Port& builtin(std::string_view id) {
  for (const Port& p : table()) {
    if (p.id == id) return p;
  }
  throw std::runtime_error("no built-in port " + std::string(id));
}

const Port& brest() {
  return builtin("FR-BREST");
}

// The reference port's extremes over the 31-hour window of the day at start.
std::vector<Extreme> reference_extremes(std::int64_t start) {
  return straightforward::find_extremes(start - 25200, start + kDay, brest().constituents,
                                        brest().mean_water_level);
}

std::string date_of(std::int64_t day_number) {
  return nerith::api::format_date(nerith::api::civil_from_days(day_number));
}

// Days from 1900-01-01 (day −25567) to late 2100, 307 days apart, so that
// every month and both sides of 1970 come up.
std::vector<std::int64_t> spread_days() {
  std::vector<std::int64_t> days;
  for (std::int64_t d = -25567; d <= 47846; d += 307) days.push_back(d);
  return days;
}

std::string first_difference(const std::vector<HeightSample>& got,
                             const std::vector<HeightSample>& want) {
  if (got.size() != want.size()) {
    return std::to_string(got.size()) + " samples instead of " + std::to_string(want.size());
  }
  for (std::size_t i = 0; i < got.size(); ++i) {
    if (got[i] != want[i]) {
      return "sample " + std::to_string(i) + " at " + std::to_string(want[i].time);
    }
  }
  return "";
}

TEST(FastPath, WindowTermsMatchTheHarmonicSumBitForBit) {
  const Port& port = brest();
  std::vector<HarmonicConstituent> all13_and_unknown = port.constituents;
  all13_and_unknown.push_back({"X", 5.0, 10.0});
  all13_and_unknown.insert(all13_and_unknown.begin(), {"m2", 1.0, 0.0});
  const std::vector<std::vector<HarmonicConstituent>> lists = {
      {},
      {{"m2", 1.0, 0.0}, {"X9", 2.0, 10.0}, {"M2 ", 1.0, 0.0}},
      {{"M2", 1.0, 0.0}, {"M2", 0.5, 33.0}},  // the same name twice adds both terms
      all13_and_unknown,
  };
  struct Case {
    std::int64_t t_ref;
    std::int64_t node_at;
  };
  const Case cases[] = {{946728000, 946728000},
                        {0, 43200},
                        {-2208988800, -2208945600},
                        {4102444800, 4102488000},
                        {-86400, -86400}};
  for (const auto& list : lists) {
    for (const Case& c : cases) {
      const auto astro = AstronomicalArguments::at(c.t_ref);
      const auto nodal = NodalCorrections::at(c.node_at);
      const WindowTerms terms(c.t_ref, astro, nodal, list, port.mean_water_level);
      for (std::int64_t dt : {-90000, -300, -1, 0, 1, 59, 600, 43200, 86700, 111900}) {
        const std::int64_t t = c.t_ref + dt;
        EXPECT_EQ(terms.height(t),
                  height_with_nodal(t, c.t_ref, list, astro, nodal, port.mean_water_level))
            << "list of " << list.size() << ", t_ref " << c.t_ref << ", t " << t;
      }
    }
  }
}

TEST(FastPath, OddWindowsGiveTheSameExtremes) {
  const Port& havre = builtin("FR-LE-HAVRE");
  // Lengths that are and are not multiples of the scan step, around a day
  // with a double high water, and on both sides of 1970.
  for (const std::int64_t start : {std::int64_t{1707436800}, std::int64_t{1707436800 + 4321},
                                   std::int64_t{-1234567}, std::int64_t{-2208988800}}) {
    for (const std::int64_t length : {-1, 0, 1, 299, 300, 601, 7000, 86400, 86550, 111600}) {
      const std::int64_t end = start + length;
      EXPECT_EQ(
          nerith::harmonic::extremes::find_extremes(start, end, havre.constituents,
                                                    havre.mean_water_level),
          straightforward::find_extremes(start, end, havre.constituents, havre.mean_water_level))
          << "[" << start << ", " << end << ")";
    }
  }
}

// Every station on a share of the spread days: predict_day, compute_heights
// and find_extremes against the straightforward evaluation. The reference
// port's 31-hour run is the same for every station of a day, so it is
// computed once per day.
TEST(FastPath, EveryStationOverTwoCenturiesIsBitIdentical) {
  const std::vector<Port>& ports = table();
  ASSERT_EQ(ports.size(), 20u);
  const Port& reference = brest();
  constexpr std::size_t kStationsPerDay = 4;
  const std::vector<std::int64_t> days = spread_days();
  ASSERT_GE(days.size(), 200u);
  std::vector<int> days_per_station(ports.size(), 0);

  for (std::size_t k = 0; k < days.size(); ++k) {
    const std::int64_t start = days[k] * kDay;
    const std::int64_t end = start + kDay;
    const std::string date = date_of(days[k]);
    const std::vector<Extreme> ref = reference_extremes(start);
    ASSERT_EQ(nerith::harmonic::extremes::find_extremes(start - 25200, end, reference.constituents,
                                                        reference.mean_water_level),
              ref)
        << "reference window of " << date;

    for (std::size_t j = 0; j < kStationsPerDay; ++j) {
      const Port& port = ports[(k * kStationsPerDay + j) % ports.size()];
      ++days_per_station[(k * kStationsPerDay + j) % ports.size()];
      SCOPED_TRACE(port.id + " " + date);

      const auto heights = straightforward::compute_heights(start, end, 600, port.constituents,
                                                            port.mean_water_level);
      auto extremes =
          straightforward::find_extremes(start, end, port.constituents, port.mean_water_level);
      ASSERT_EQ(first_difference(nerith::harmonic::engine::compute_heights(
                                     start, end, 600, port.constituents, port.mean_water_level),
                                 heights),
                "");
      ASSERT_EQ(nerith::harmonic::extremes::find_extremes(start, end, port.constituents,
                                                          port.mean_water_level),
                extremes);
      if (port.atlantic_coast) straightforward::assign_coefficients(extremes, ref);

      const auto day = nerith::api::predict_day(port.id, date);
      ASSERT_TRUE(day.has_value());
      EXPECT_EQ(day->port_id, port.id);
      EXPECT_EQ(day->date, date);
      ASSERT_EQ(first_difference(day->heights, heights), "");
      ASSERT_EQ(day->extremes, extremes);
    }
  }
  for (std::size_t i = 0; i < ports.size(); ++i) {
    EXPECT_GE(days_per_station[i], 40) << ports[i].id;
  }
}

// The straightforward day: the grid from its own compute_heights, the
// extremes from its own scan, graded against `ref`.
void expect_straightforward_day(const nerith::ports::DayPrediction& day, const Port& port,
                                std::int64_t start) {
  SCOPED_TRACE(port.id + " " + day.date);
  EXPECT_EQ(first_difference(day.heights, straightforward::compute_heights(start, start + kDay, 600,
                                                                           port.constituents,
                                                                           port.mean_water_level)),
            "");
  auto extremes =
      straightforward::find_extremes(start, start + kDay, port.constituents, port.mean_water_level);
  straightforward::assign_coefficients(extremes, reference_extremes(start));
  EXPECT_EQ(day.extremes, extremes);
}

TEST(FastPath, RangeAcross1970MatchesTheStraightforwardDays) {
  const auto range = nerith::api::predict_range("FR-LE-HAVRE", "1969-12-30", "1970-01-02");
  ASSERT_TRUE(range.has_value());
  ASSERT_EQ(range->size(), 4u);
  for (std::size_t i = 0; i < range->size(); ++i) {
    const std::int64_t start = (static_cast<std::int64_t>(i) - 2) * kDay;
    EXPECT_EQ((*range)[i].date, date_of(start / kDay));
    expect_straightforward_day((*range)[i], builtin("FR-LE-HAVRE"), start);
  }
}

// Far from the present the curve is meaningless, but the arithmetic is still
// defined and must not change.
TEST(FastPath, FarDatesMatchTheStraightforwardDays) {
  struct Case {
    const char* date;
    std::int64_t start;
  };
  const Case cases[] = {{"0000-01-01", -62167219200},
                        {"9999-12-31", 253402214400},
                        {"1000000-06-15", 31494799123200}};
  for (const Case& c : cases) {
    ASSERT_EQ(nerith::api::day_bounds_utc(c.date), std::pair(c.start, c.start + kDay)) << c.date;
    for (const char* id : {"FR-BREST", "FR-DUNKERQUE"}) {
      const auto day = nerith::api::predict_day(id, c.date);
      ASSERT_TRUE(day.has_value());
      expect_straightforward_day(*day, builtin(id), c.start);
    }
  }
}

}  // namespace
