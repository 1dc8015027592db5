// Astronomical arguments and nodal corrections. Values marked exact are
// results of the formulas' own sequence of double operations and are
// compared with ==; they were computed independently in Python, whose
// floats are IEEE doubles and which never fuses a multiply and an add.
#include "builtin/astronomical/nodal.hpp"
#include "builtin/harmonic/constituents.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace {

using nerith::astronomical::nodal::AstronomicalArguments;
using nerith::astronomical::nodal::julian_centuries;
using nerith::astronomical::nodal::julian_day;
using nerith::astronomical::nodal::NodalCorrections;
using nerith::astronomical::nodal::normalize_degrees;

TEST(NormalizeDegrees, FollowsTheTwoRemainders) {
  struct Case {
    double in, out;
  };
  for (const Case c : {
           Case{218.3164477, 218.31644770000003},  // the sum with 360 rounds
           Case{0.0, 0.0}, Case{-0.0, 0.0},        // −0 + 360 is +360, whose remainder is +0
           Case{360.0, 0.0}, Case{-30.0, 330.0}, Case{725.0, 5.0}, Case{-725.0, 355.0},
           Case{-1e-20, 0.0},  // −1e-20 + 360 rounds to 360: never 360 out
       }) {
    const double out = normalize_degrees(c.in);
    EXPECT_EQ(out, c.out) << c.in;
    EXPECT_FALSE(std::signbit(out)) << c.in;
  }
}

TEST(JulianTime, Epochs) {
  EXPECT_EQ(julian_day(946728000), 2451545.0);  // 2000-01-01 12:00 UTC, J2000.0
  EXPECT_EQ(julian_day(0), 2440587.5);
  EXPECT_EQ(julian_day(-86400), 2440586.5);
  EXPECT_EQ(julian_centuries(2451545.0), 0.0);
  EXPECT_EQ(julian_centuries(2451545.0 + 36525.0), 1.0);
  EXPECT_EQ(julian_centuries(julian_day(0)), -0.3);
}

struct ArgumentsCase {
  std::string name;
  std::int64_t t;
  AstronomicalArguments expected;
};
void PrintTo(const ArgumentsCase& c, std::ostream* os) {
  *os << c.name;
}

class ArgumentsAt : public testing::TestWithParam<ArgumentsCase> {};

TEST_P(ArgumentsAt, ExactToTheLastBit) {
  const AstronomicalArguments got = AstronomicalArguments::at(GetParam().t);
  const AstronomicalArguments& want = GetParam().expected;
  EXPECT_EQ(got.s, want.s);
  EXPECT_EQ(got.h, want.h);
  EXPECT_EQ(got.p, want.p);
  EXPECT_EQ(got.n, want.n);
  EXPECT_EQ(got.p1, want.p1);
  EXPECT_EQ(got.gmst, want.gmst);
  // The node of the nodal corrections is the same value as n.
  EXPECT_EQ(NodalCorrections::at(GetParam().t).node_longitude, want.n);
}

INSTANTIATE_TEST_SUITE_P(
    Nodal, ArgumentsAt,
    testing::Values(
        // 2000-01-01 12:00 UTC: T = 0, jd0 = 2451544.5, θ0 = 99.96779471685704.
        ArgumentsCase{"J2000",
                      946728000,
                      {218.31644770000003, 280.4664567, 83.35324650000001, 125.0445479,
                       282.93730000000005, 280.460618336857}},
        // 1970-01-01 00:00 UTC: T = −0.3, jd0 = jd.
        ArgumentsCase{"UnixEpoch",
                      0,
                      {197.95207743701758, 280.2355083630009, 302.6491565160002, 345.28542649099995,
                       282.42144099999996, 100.22963723466819}},
        // 2024-03-14 00:00 UTC: contracting 481267.88123421 × T + 218.3164477
        // into a fused multiply-add changes the last bit of s.
        ArgumentsCase{"FusedMultiplyAddWouldChangeS",
                      1710374400,
                      {37.89668831777817, 352.11064897712276, 347.993273816777, 17.012697073939933,
                       283.3534003670088, 172.1048880354574}},
        // 2024-03-12 00:00 UTC: gmst is θ0 here, and contracting θ0's polynomial
        // changes its last bit.
        ArgumentsCase{"FusedMultiplyAddWouldChangeTheta0",
                      1710201600,
                      {11.543895368624362, 350.1393542569149, 347.77046677320254,
                       17.118604603684958, 283.3533062106776, 170.13359329260675}},
        // Before 1970, one second before a midnight: jd0 is that day's start.
        ArgumentsCase{"Before1970",
                      -31536001,
                      {68.56721170980018, 280.4742105172336, 261.9868697742613, 4.613551282369372,
                       282.40425746899655, 100.46417273339745}}),
    [](const auto& info) { return info.param.name; });

// Nodal factors at the four quarter points of the node, to the printed digits.
struct FactorCase {
  double node;
  std::string_view name;
  double f, u;
};

TEST(NodalFactors, QuarterPoints) {
  for (const FactorCase c : {
           FactorCase{0, "M2", 0.96269, 0},
           FactorCase{0, "K1", 1.1158, 0},
           FactorCase{0, "O1", 0.8115, 0},
           FactorCase{0, "K2", 1.2852, 0},
           FactorCase{180, "M2", 1.03731, 0},
           FactorCase{180, "K1", 0.8842, 0},
           FactorCase{180, "O1", 1.1885, 0},
           FactorCase{180, "K2", 0.7148, 0},
           FactorCase{90, "M2", 1.000696, -2.136714},
           FactorCase{90, "K1", 1.006682, -6.605431},
           FactorCase{90, "O1", 1.017611, 10.674995},
           FactorCase{90, "K2", 1.039875, -15.918150},
           FactorCase{270, "M2", 1.000696, 2.136714},
           FactorCase{270, "K1", 1.006682, 6.605431},
           FactorCase{270, "O1", 1.017611, -10.674995},
           FactorCase{270, "K2", 1.039875, 15.918150},
       }) {
    const NodalCorrections nodal{c.node};
    EXPECT_NEAR(nerith::harmonic::constituents::nodal_factor(nodal, c.name).f, c.f, 5e-7)
        << c.name << " at " << c.node;
    EXPECT_NEAR(nerith::harmonic::constituents::nodal_factor(nodal, c.name).u, c.u, 5e-7)
        << c.name << " at " << c.node;
  }
}

// Bit-exact spot values at node 90 (sqrt of the sum of squares, not hypot).
TEST(NodalFactors, ExactAtNinety) {
  const NodalCorrections nodal{90.0};
  EXPECT_EQ(nerith::harmonic::constituents::nodal_factor(nodal, "M2").f, 1.0006957759978803);
  EXPECT_EQ(nerith::harmonic::constituents::nodal_factor(nodal, "M2").u, -2.136714440192883);
  EXPECT_EQ(nerith::harmonic::constituents::nodal_factor(nodal, "K1").f, 1.006682492149337);
  EXPECT_EQ(nerith::harmonic::constituents::nodal_factor(nodal, "O1").u, 10.674995120237053);
  EXPECT_EQ(nerith::harmonic::constituents::nodal_factor(nodal, "K2").f, 1.0398745308930304);
  EXPECT_EQ(nerith::harmonic::constituents::nodal_factor(nodal, "M6").f, 1.0020887806431866);
  EXPECT_EQ(nerith::harmonic::constituents::nodal_factor(nodal, "M6").u, -6.4101433205786496);
}

TEST(NodalFactors, DerivedFromTheirGroups) {
  for (const double node : {0.0, 17.118604603684958, 90.0, 123.4, 200.0, 270.0, 359.9}) {
    const NodalCorrections nodal{node};
    const double f = nerith::harmonic::constituents::nodal_factor(nodal, "M2").f;
    const double u = nerith::harmonic::constituents::nodal_factor(nodal, "M2").u;
    EXPECT_EQ(nerith::harmonic::constituents::nodal_factor(nodal, "N2").f, f);
    EXPECT_EQ(nerith::harmonic::constituents::nodal_factor(nodal, "N2").u, u);
    EXPECT_EQ(nerith::harmonic::constituents::nodal_factor(nodal, "MS4").f, f);
    EXPECT_EQ(nerith::harmonic::constituents::nodal_factor(nodal, "MS4").u, u);
    for (const std::string_view compound : {"M4", "MN4", "2MS6"}) {
      EXPECT_EQ(nerith::harmonic::constituents::nodal_factor(nodal, compound).f, f * f) << compound;
      EXPECT_EQ(nerith::harmonic::constituents::nodal_factor(nodal, compound).u, u + u) << compound;
    }
    EXPECT_EQ(nerith::harmonic::constituents::nodal_factor(nodal, "M6").f, f * (f * f));
    EXPECT_EQ(nerith::harmonic::constituents::nodal_factor(nodal, "M6").u, u * 3.0);
    EXPECT_EQ(nerith::harmonic::constituents::nodal_factor(nodal, "Q1").f,
              nerith::harmonic::constituents::nodal_factor(nodal, "O1").f);
    EXPECT_EQ(nerith::harmonic::constituents::nodal_factor(nodal, "Q1").u,
              nerith::harmonic::constituents::nodal_factor(nodal, "O1").u);
  }
}

TEST(NodalFactors, NeutralNames) {
  using namespace std::string_view_literals;
  for (const double node : {0.0, 90.0, 211.7}) {
    const NodalCorrections nodal{node};
    for (const std::string_view name : {"S2"sv, "P1"sv, "m2"sv, "M2 "sv, " M2"sv, ""sv, "X9"sv,
                                        "M2\0"sv, "MS"sv, "2MS6x"sv, "2ms6"sv, "K3"sv}) {
      EXPECT_EQ(nerith::harmonic::constituents::nodal_factor(nodal, name).f, 1.0)
          << '"' << name << '"';
      EXPECT_EQ(nerith::harmonic::constituents::nodal_factor(nodal, name).u, 0.0)
          << '"' << name << '"';
    }
  }
}

}  // namespace
