// The full model's astronomy and constituent table: published nodal ranges,
// identities that every row must satisfy, and agreement with the built-in
// model where the two describe the same thing.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <string>

#include "builtin/astronomical/nodal.hpp"
#include "builtin/harmonic/engine.hpp"
#include "full/constituents.hpp"

namespace {

using namespace nerith::full;
using constituents::Constituent;
using constituents::node_factor;
using constituents::TABLE;

astronomy::NodeTerms node_at(double n, double p = 0.0) {
  astronomy::Arguments a{};
  a.n = n;
  a.p = p;
  return astronomy::NodeTerms::from(a);
}

const Constituent& row(std::string_view name) {
  const Constituent* c = constituents::find(name);
  EXPECT_NE(c, nullptr) << name;
  return *c;
}

double angle_difference(double a, double b) {
  return std::remainder(a - b, 360.0);
}

// Ranges of the node factor over the 18.6-year cycle as the textbooks quote
// them for Schureman's formulas (e.g. Pugh, Tides, Surges and Mean
// Sea-Level, 1987, ch. 4): f at its extremes at N = 0 and N = 180°, u at its
// largest near N = ±90° (0: not quoted).
TEST(FullNodal, FactorsSpanThePublishedRanges) {
  struct Range {
    std::string_view name;
    double f_at_0, f_at_180, largest_u;
  };
  const Range ranges[] = {
      {"M2", 0.963, 1.038, 2.1},
      {"K1", 1.113, 0.882, 8.9},
      {"O1", 1.183, 0.806, 0.0},
  };
  for (const Range& r : ranges) {
    SCOPED_TRACE(r.name);
    EXPECT_NEAR(node_factor(row(r.name), node_at(0.0)).f, r.f_at_0, 0.0015);
    EXPECT_NEAR(node_factor(row(r.name), node_at(180.0)).f, r.f_at_180, 0.0015);
    if (r.largest_u == 0.0) continue;
    double largest = 0.0;
    for (int n = 0; n < 360; ++n) {
      largest = std::max(largest, std::abs(node_factor(row(r.name), node_at(n)).u));
    }
    EXPECT_NEAR(largest, r.largest_u, 0.15);
  }
}

// The lunar rows against a numerical expansion of the potential: the Moon
// on its orbit, inclined I to the equator, at the argument x from the
// intersection (right ascension ν), gives the order-m factor F(x) of
// e^{imθ}; its harmonic C·e^{−ijx} is the line mτ + (m − j)s + jξ + arg C.
// So each row must have offset + u − jξ = arg C, and f in proportion to |C|
// over the node cycle: this checks the signs and nodal rules derived in the
// table, including the third-degree ones.
TEST(FullNodal, LunarRowsMatchTheExpandedPotential) {
  struct Line {
    std::string_view name;
    int m, j;
    // F from sin δ, cos δ; times e^{−imα}.
    double (*f)(double sin_d, double cos_d);
  };
  const Line lines[] = {
      {"M2", 2, 2, [](double, double c) { return c * c; }},
      {"O1", 1, 2, [](double s, double c) { return s * c; }},
      {"M3", 3, 3, [](double, double c) { return c * c * c; }},
      {"3N2", 2, 3, [](double s, double c) { return c * c * s; }},
      {"3L2", 2, 1, [](double s, double c) { return c * c * s; }},
  };
  constexpr double kDeg = std::numbers::pi / 180.0;
  for (const Line& line : lines) {
    SCOPED_TRACE(line.name);
    const Constituent& c = row(line.name);
    double ratio = 0.0;
    for (const double n : {0.0, 70.0, 150.0, 250.0}) {
      const auto k = node_at(n);
      std::complex<double> sum;
      constexpr int kSteps = 3600;
      for (int i = 0; i < kSteps; ++i) {
        const double x = 2.0 * std::numbers::pi * (i + 0.5) / kSteps;
        const double sin_d = std::sin(k.i * kDeg) * std::sin(x);
        const double cos_d = std::sqrt(1.0 - sin_d * sin_d);
        const double alpha =
            k.nu * kDeg + std::atan2(std::cos(k.i * kDeg) * std::sin(x), std::cos(x));
        sum += line.f(sin_d, cos_d) * std::polar(1.0, -line.m * alpha + line.j * x);
      }
      const std::complex<double> coefficient = sum / static_cast<double>(kSteps);
      const auto [f, u] = node_factor(c, k);
      EXPECT_NEAR(angle_difference(c.offset + u - line.j * k.xi, std::arg(coefficient) / kDeg), 0.0,
                  0.05)
          << "N=" << n;
      if (ratio == 0.0) ratio = f / std::abs(coefficient);
      EXPECT_NEAR(f / std::abs(coefficient) / ratio, 1.0, 0.002) << "N=" << n;
    }
  }
}

// A constituent whose argument holds no lunar longitude (no s, p or N′ once
// τ is written T + h − s) is purely solar: f = 1, u = 0 whatever the node.
// Taken from the Doodson numbers, so a wrong rule column is caught. K1 and
// K2 are lunisolar: their lunar and solar parts share one argument.
TEST(FullNodal, PurelySolarConstituentsHaveNoNodalCorrection) {
  int solar = 0;
  for (const Constituent& c : TABLE) {
    const int s_in_t = c.doodson[1] - c.doodson[0];
    if (s_in_t != 0 || c.doodson[3] != 0 || c.doodson[4] != 0) continue;
    if (c.name == "K1" || c.name == "K2") continue;
    ++solar;
    for (const double n : {0.0, 57.0, 180.0, 301.0}) {
      const auto [f, u] = node_factor(c, node_at(n, 123.0));
      EXPECT_EQ(f, 1.0) << c.name;
      EXPECT_EQ(u, 0.0) << c.name;
    }
  }
  EXPECT_EQ(solar, 11);  // SA SSA P1 S1 T2 S2 R2 T3 S3 R3 S4
}

// A compound row: Doodson numbers and offset are the signed sum of its
// parts', f the product of their f, u the signed sum of their u.
TEST(FullNodal, CompoundsAreTheSumOfTheirParts) {
  int compounds = 0;
  for (const Constituent& c : TABLE) {
    if (c.rule != constituents::NodalRule::Compound) continue;
    ++compounds;
    SCOPED_TRACE(c.name);
    std::array<int, 6> doodson{};
    int offset = 0;
    for (const auto& part : c.parts) {
      if (part.times == 0) continue;
      const Constituent& p = row(part.name);
      EXPECT_NE(p.rule, constituents::NodalRule::Compound);
      for (std::size_t i = 0; i < 6; ++i) doodson[i] += part.times * p.doodson[i];
      offset += part.times * p.offset;
    }
    EXPECT_EQ(doodson, c.doodson);
    EXPECT_EQ(angle_difference(offset, c.offset), 0.0);
    for (const double n : {10.0, 100.0, 250.0}) {
      const auto node = node_at(n, 40.0);
      double f = 1.0, u = 0.0;
      for (const auto& part : c.parts) {
        if (part.times == 0) continue;
        const auto pf = node_factor(row(part.name), node);
        for (int k = 0; k < std::abs(part.times); ++k) f *= pf.f;
        u += part.times * pf.u;
      }
      const auto got = node_factor(c, node);
      EXPECT_NEAR(got.f, f, 1e-12);
      EXPECT_NEAR(got.u, u, 1e-9);
    }
  }
  EXPECT_EQ(compounds, 13);
}

// The table has the 50 names of the data, once each, with an offset of
// 0, ±90 or 180 and the species its first Doodson number says.
TEST(FullTable, HasEveryNameOnceWithAStandardOffset) {
  const std::string_view names[] = {
      "M2",  "N2",   "S2",   "K2",  "2N2", "S1",  "K1",   "P1",   "O1",      "Q1",
      "M1",  "M4",   "MM",   "MF",  "SA",  "SSA", "T2",   "J1",   "L2",      "R2",
      "2Q1", "MSF",  "MSQM", "EP2", "M3",  "MU2", "MTM",  "NU2",  "LAMBDA2", "MN4",
      "MS4", "MKS2", "N4",   "M6",  "M8",  "S4",  "OO1",  "S3",   "MA2",     "MB2",
      "T3",  "R3",   "RHO1", "SGM", "3L2", "3N2", "2SM2", "2MS6", "2MK5",    "2MO5"};
  for (const std::string_view name : names) {
    int count = 0;
    for (const Constituent& c : TABLE) count += c.name == name;
    EXPECT_EQ(count, 1) << name;
  }
  for (const Constituent& c : TABLE) {
    EXPECT_TRUE(c.offset == 0 || c.offset == 90 || c.offset == -90 || c.offset == 180) << c.name;
  }
  EXPECT_EQ(constituents::find("m2"), nullptr);  // names are case-sensitive
}

// Where both models know a constituent, the speeds agree with the built-in
// model's tabled speeds, and V0 with its arguments up to two known
// differences: its mean lunar time is 180° from the standard τ (which
// shows on odd species only) and it leaves out the diurnal offsets.
TEST(FullTable, AgreesWithTheBuiltInModel) {
  const std::int64_t instants[] = {0, 1710028800, 1757376000, 1577836800 + 12345, 4102444800};
  for (const auto& def : nerith::harmonic::engine::CONSTITUENTS) {
    SCOPED_TRACE(def.name);
    const Constituent& c = row(def.name);
    EXPECT_NEAR(constituents::speed(c), def.speed, 1e-6);
    const double expected = c.species() % 2 == 1 ? c.offset + 180.0 : 0.0;
    for (const std::int64_t t : instants) {
      const double mine = constituents::equilibrium_argument(c, astronomy::Arguments::at(t));
      const double builtin =
          def.equilibrium_argument(nerith::astronomical::nodal::AstronomicalArguments::at(t));
      // The built-in sidereal angle and linear longitudes differ by
      // hundredths of a degree per species.
      EXPECT_NEAR(angle_difference(mine - builtin, expected), 0.0, 0.01 * c.species() + 0.005)
          << "t=" << t;
    }
  }
}

// V0 at 0 h UT on 1 January of a year: S2 is 0 (2T = 360°), and M2's is
// 2(h − s) reduced, from the longitudes the arguments also return.
TEST(FullAstronomy, HourAngleAndLongitudesAreConsistent) {
  for (const std::int64_t midnight : {946684800LL, 1704067200LL, 1767225600LL}) {
    const auto a = astronomy::Arguments::at(midnight);
    EXPECT_NEAR(angle_difference(constituents::equilibrium_argument(row("S2"), a), 0.0), 0.0, 1e-9);
    EXPECT_NEAR(
        angle_difference(constituents::equilibrium_argument(row("M2"), a), 2.0 * (a.h - a.s)), 0.0,
        1e-9);
  }
  // J2000.0 (2000-01-01 12:00 TT): Meeus's constant terms.
  const auto j2000 = astronomy::Arguments::at(946728000);
  EXPECT_NEAR(j2000.s, 218.3164, 0.001);
  EXPECT_NEAR(j2000.h, 280.4665, 0.001);
  EXPECT_NEAR(j2000.n, 125.0445, 0.001);
  EXPECT_NEAR(j2000.p, 83.3530, 0.001);
  EXPECT_NEAR(j2000.p1, 282.9373, 0.001);
}

}  // namespace
