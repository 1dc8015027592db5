// Astronomical arguments and nodal corrections. Angles are degrees in
// doubles; instants are Unix seconds (UTC, no leap seconds).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace nerith::astronomical::nodal {

// Reduces an angle into [0, 360): fmod(fmod(x, 360) + 360, 360), applied
// even to angles already in range (the sum rounds).
double normalize_degrees(double x);

// Julian Day of a Unix instant: t / 86400 + 2440587.5 (t converted first).
double julian_day(std::int64_t t);

// Julian centuries of 36525 days since J2000.0 (JD 2451545.0).
double julian_centuries(double jd);

// Mean longitudes and the Greenwich mean sidereal angle at one instant,
// each in degrees, reduced to [0, 360).
struct AstronomicalArguments {
  double s = 0.0;     // Moon
  double h = 0.0;     // Sun
  double p = 0.0;     // lunar perigee
  double n = 0.0;     // Moon's ascending node
  double p1 = 0.0;    // solar perigee
  double gmst = 0.0;  // Greenwich mean sidereal angle

  static AstronomicalArguments at(std::int64_t t);
};

// The basic nodal modulations. Each constituent names its group in the
// constituent table (harmonic/constituents.hpp).
enum class NodalGroup : std::uint8_t {
  None,       // no modulation: f = 1, u = 0
  M2,         // X = 1 − 0.03731·cos N, Y = −0.03731·sin N
  K1,         // X = 1 + 0.1158·cos N,  Y = −0.1158·sin N
  O1,         // X = 1 − 0.1885·cos N,  Y = 0.1885·sin N
  K2,         // X = 1 + 0.2852·cos N,  Y = −0.2852·sin N
  M2Squared,  // f = f_M2², u = 2·u_M2
  M2Cubed,    // f = f_M2³, u = 3·u_M2
};
inline constexpr std::size_t NODAL_GROUPS = static_cast<std::size_t>(NodalGroup::M2Cubed) + 1;

// Amplitude factor (dimensionless) and phase correction (degrees) of one
// group: f·e^(iu) = X + iY.
struct NodalFactor {
  double f;
  double u;
};

// The longitude of the Moon's ascending node, from which each constituent's
// nodal amplitude factor f and phase correction u follow.
struct NodalCorrections {
  double node_longitude = 0.0;  // degrees, [0, 360)

  static NodalCorrections at(std::int64_t t);

  NodalFactor factor(NodalGroup group) const;
};

}  // namespace nerith::astronomical::nodal
