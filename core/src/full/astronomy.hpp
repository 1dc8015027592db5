// The full model's astronomy: mean longitudes as polynomials in time, and
// the node terms that the nodal corrections are written in. Angles are
// degrees; instants are Unix seconds (UTC, read as UT).
#pragma once

#include <cstdint>

namespace nerith::full::astronomy {

// The six fundamental arguments of the extended Doodson numbers at one
// instant, each reduced to [0, 360).
struct Arguments {
  double tau = 0.0;  // mean lunar time, T + h − s
  double s = 0.0;    // Moon's mean longitude
  double h = 0.0;    // Sun's mean longitude
  double p = 0.0;    // longitude of the lunar perigee
  double n = 0.0;    // longitude of the Moon's ascending node, N
  double p1 = 0.0;   // longitude of the solar perigee, p′

  static Arguments at(std::int64_t t);
};

// Rates of τ, s, h, p, N′ = −N and p′ in degrees per mean solar hour: the
// linear terms of the polynomials of Arguments::at.
struct Rates {
  double tau, s, h, p, n_prime, p1;
};
extern const Rates RATES;

// Schureman's node terms, from N (and p for P): the inclination I of the
// lunar orbit to the equator, ν and ξ, ν′ (K1), 2ν″ (K2) and P = p − ξ.
// Degrees.
struct NodeTerms {
  double i, nu, xi, nu_prime, two_nu_second, big_p;

  static NodeTerms from(const Arguments& a);
};

}  // namespace nerith::full::astronomy
