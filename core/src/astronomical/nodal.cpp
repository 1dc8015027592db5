#include "astronomical/nodal.hpp"

#include <cmath>

namespace nerith::astronomical::nodal {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kDegreesPerRadian = 57.29577951308232;

double radians(double degrees) {
  return (degrees * kPi) / 180.0;
}

// f·e^(iu) = X + iY of one basic constituent group, from the node longitude.
struct NodalFactor {
  double f;
  double u;  // degrees
};

NodalFactor from_parts(double x, double y) {
  return {std::sqrt(y * y + x * x), std::atan2(y, x) * kDegreesPerRadian};
}

enum class Group { M2, K1, O1, K2, Compound4, M6, MS4, None };

// Names are matched by length first, then bytes, as the data spell them.
Group group_of(std::string_view name) {
  switch (name.size()) {
    case 2:
      if (name == "M2" || name == "N2") return Group::M2;
      if (name == "M4") return Group::Compound4;
      if (name == "M6") return Group::M6;
      if (name == "K1") return Group::K1;
      if (name == "O1" || name == "Q1") return Group::O1;
      if (name == "K2") return Group::K2;
      return Group::None;
    case 3:
      if (name == "MN4") return Group::Compound4;
      if (name == "MS4") return Group::MS4;
      return Group::None;
    case 4:
      return name == "2MS6" ? Group::Compound4 : Group::None;
    default:
      return Group::None;
  }
}

NodalFactor factor(double node_longitude, Group group) {
  const double a = radians(node_longitude);
  const double sn = std::sin(a);
  const double cs = std::cos(a);
  // M2 group: X = 1 − k·cos N, Y = −k·sin N with k = 0.03731.
  auto m2 = [&] { return from_parts(1.0 - 0.03731 * cs, -(0.03731 * sn)); };
  switch (group) {
    case Group::M2:
    case Group::MS4:
      return m2();
    case Group::K1:
      return from_parts(1.0 + 0.1158 * cs, -(0.1158 * sn));
    case Group::O1:
      return from_parts(1.0 - 0.1885 * cs, 0.1885 * sn);
    case Group::K2:
      return from_parts(1.0 + 0.2852 * cs, -(0.2852 * sn));
    case Group::Compound4: {
      const NodalFactor base = m2();
      return {base.f * base.f, base.u + base.u};
    }
    case Group::M6: {
      const NodalFactor base = m2();
      return {base.f * (base.f * base.f), base.u * 3.0};
    }
    case Group::None:
      break;
  }
  return {1.0, 0.0};
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
  args.n = normalize_degrees(125.0445479 - 1934.13626197 * T);
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
  const double T = julian_centuries(julian_day(t));
  return {normalize_degrees(125.0445479 - 1934.13626197 * T)};
}

double NodalCorrections::f(std::string_view name) const {
  return factor(node_longitude, group_of(name)).f;
}

double NodalCorrections::u(std::string_view name) const {
  return factor(node_longitude, group_of(name)).u;
}

}  // namespace nerith::astronomical::nodal
