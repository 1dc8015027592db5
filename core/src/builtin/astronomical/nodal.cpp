#include "builtin/astronomical/nodal.hpp"

#include <cmath>

namespace nerith::astronomical::nodal {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kDegreesPerRadian = 57.29577951308232;

double radians(double degrees) {
  return (degrees * kPi) / 180.0;
}

NodalFactor from_parts(double x, double y) {
  return {std::sqrt(y * y + x * x), std::atan2(y, x) * kDegreesPerRadian};
}

// Longitude of the Moon's ascending node in degrees, T in Julian centuries:
// 125.0445479 − 1934.13626197·T, reduced.
double ascending_node(double T) {
  return normalize_degrees(125.0445479 - 1934.13626197 * T);
}

}  // namespace

double normalize_degrees(double x) {
  return std::fmod(std::fmod(x, 360.0) + 360.0, 360.0);
}

double julian_day(std::int64_t t) {
  return static_cast<double>(t) / 86400.0 + 2440587.5;
}

double julian_centuries(double jd) {
  return (jd + -2451545.0) / 36525.0;
}

AstronomicalArguments AstronomicalArguments::at(std::int64_t t) {
  const double jd = julian_day(t);
  const double T = julian_centuries(jd);
  AstronomicalArguments args;
  args.s = normalize_degrees(481267.88123421 * T + 218.3164477);
  args.h = normalize_degrees(36000.76982779 * T + 280.4664567);
  args.p = normalize_degrees(4069.01363328 * T + 83.3532465);
  args.n = ascending_node(T);
  args.p1 = normalize_degrees(1.71953 * T + 282.9373);
  // Sidereal angle at 0 h UTC of the day (θ0), then advanced by the hours since.
  const double jd0 = std::floor(jd - 0.5) + 0.5;
  const double T0 = julian_centuries(jd0);
  const double theta0 = normalize_degrees(
      ((36000.7700536 * T0 + 100.4606184) + 0.000387933 * T0 * T0) + T0 * T0 * T0 / -38710000.0);
  args.gmst = normalize_degrees(theta0 + ((jd - jd0) * 24.0 * 360.98564724) / 24.0);
  return args;
}

NodalCorrections NodalCorrections::at(std::int64_t t) {
  return {ascending_node(julian_centuries(julian_day(t)))};
}

NodalFactor NodalCorrections::factor(NodalGroup group) const {
  const double a = radians(node_longitude);
  const double sn = std::sin(a);
  const double cs = std::cos(a);
  auto m2 = [&] { return from_parts(1.0 - 0.03731 * cs, -(0.03731 * sn)); };
  switch (group) {
    case NodalGroup::M2:
      return m2();
    case NodalGroup::K1:
      return from_parts(1.0 + 0.1158 * cs, -(0.1158 * sn));
    case NodalGroup::O1:
      return from_parts(1.0 - 0.1885 * cs, 0.1885 * sn);
    case NodalGroup::K2:
      return from_parts(1.0 + 0.2852 * cs, -(0.2852 * sn));
    case NodalGroup::M2Squared: {
      const NodalFactor base = m2();
      return {base.f * base.f, base.u + base.u};
    }
    case NodalGroup::M2Cubed: {
      const NodalFactor base = m2();
      return {base.f * (base.f * base.f), base.u * 3.0};
    }
    case NodalGroup::None:
      break;
  }
  return {1.0, 0.0};
}

// A name outside the constituent table has no modulation.
}  // namespace nerith::astronomical::nodal
