#include "full/astronomy.hpp"

#include <cmath>
#include <numbers>

#include "nerith/calendar.hpp"

namespace nerith::full::astronomy {
namespace {

constexpr double kDegree = std::numbers::pi / 180.0;
constexpr double kHoursPerCentury = 36525.0 * 24.0;

double reduce(double x) {
  const double r = std::fmod(x, 360.0);
  return r < 0.0 ? r + 360.0 : r;
}

double sin_d(double x) {
  return std::sin(x * kDegree);
}
double cos_d(double x) {
  return std::cos(x * kDegree);
}
double tan_d(double x) {
  return std::tan(x * kDegree);
}
double atan2_d(double y, double x) {
  return std::atan2(y, x) / kDegree;
}

// Obliquity of the ecliptic ω and inclination of the lunar orbit i
// (Schureman's constants, degrees).
constexpr double kOmega = 23.452;
constexpr double kLunarInclination = 5.145;

}  // namespace

const Rates RATES = {
    .tau = 15.0 + 36000.76983 / kHoursPerCentury - 481267.88123421 / kHoursPerCentury,
    .s = 481267.88123421 / kHoursPerCentury,
    .h = 36000.76983 / kHoursPerCentury,
    .p = (481267.88123421 - 477198.8675055) / kHoursPerCentury,
    .n_prime = 1934.1362891 / kHoursPerCentury,
    .p1 = (36000.76983 - 35999.0502909) / kHoursPerCentury,
};

// Meeus, Astronomical Algorithms (2nd ed.), T in Julian centuries from
// J2000.0: s = L′ (47.1), h = L0 (25.2), p = L′ − M′ (47.1, 47.4),
// N = Ω (47.7), p′ = L0 − M (25.2, 47.3). τ = T + h − s with T the hour
// angle of the mean sun, 180° at 0 h UT.
Arguments Arguments::at(std::int64_t t) {
  const double c = (static_cast<double>(t) / 86400.0 - 10957.5) / 36525.0;
  const double c2 = c * c, c3 = c2 * c, c4 = c3 * c;
  const double moon =
      218.3164477 + 481267.88123421 * c - 0.0015786 * c2 + c3 / 538841.0 - c4 / 65194000.0;
  const double moon_anomaly =
      134.9633964 + 477198.8675055 * c + 0.0087414 * c2 + c3 / 69699.0 - c4 / 14712000.0;
  const double sun = 280.46646 + 36000.76983 * c + 0.0003032 * c2;
  const double sun_anomaly = 357.5291092 + 35999.0502909 * c - 0.0001536 * c2 + c3 / 24490000.0;
  const double node =
      125.0445479 - 1934.1362891 * c + 0.0020754 * c2 + c3 / 467441.0 - c4 / 60616000.0;
  // The hour angle from the seconds of the UT day, exact for every instant.
  const std::int64_t second_of_day = floor_divide(t, SECONDS_PER_DAY).rest;
  const double mean_sun_hour_angle = 180.0 + static_cast<double>(second_of_day) / 240.0;
  Arguments a;
  a.s = reduce(moon);
  a.h = reduce(sun);
  a.p = reduce(moon - moon_anomaly);
  a.n = reduce(node);
  a.p1 = reduce(sun - sun_anomaly);
  a.tau = reduce(mean_sun_hour_angle + a.h - a.s);
  return a;
}

// Schureman SP-98's expressions in N: cos I = cos ω cos i − sin ω sin i cos N;
// tan ½(N − ξ + ν) = 1.01883 tan ½N and tan ½(N − ξ − ν) = 0.64412 tan ½N;
// ν′ from his eq. 224 and 2ν″ from eq. 232.
NodeTerms NodeTerms::from(const Arguments& a) {
  const double n = a.n > 180.0 ? a.n - 360.0 : a.n;  // (−180, 180]: half-angles stay in range
  NodeTerms k{};
  k.i = std::acos(cos_d(kOmega) * cos_d(kLunarInclination) -
                  sin_d(kOmega) * sin_d(kLunarInclination) * cos_d(n)) /
        kDegree;
  const double plus = std::atan(1.01883 * tan_d(n / 2.0)) / kDegree;   // ½(N − ξ + ν)
  const double minus = std::atan(0.64412 * tan_d(n / 2.0)) / kDegree;  // ½(N − ξ − ν)
  k.nu = plus - minus;
  k.xi = n - (plus + minus);
  const double sin_2i = sin_d(2.0 * k.i);
  k.nu_prime = atan2_d(sin_2i * sin_d(k.nu), sin_2i * cos_d(k.nu) + 0.3347);
  const double sin2_i = sin_d(k.i) * sin_d(k.i);
  k.two_nu_second = atan2_d(sin2_i * sin_d(2.0 * k.nu), sin2_i * cos_d(2.0 * k.nu) + 0.0727);
  k.big_p = a.p - k.xi;
  return k;
}

}  // namespace nerith::full::astronomy
