// The supported constituents: one row each holds everything the engine
// needs of a constituent. Adding a constituent is adding a row.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "builtin/astronomical/nodal.hpp"

namespace nerith::harmonic::constituents {

using astronomical::nodal::AstronomicalArguments;
using astronomical::nodal::NodalCorrections;
using astronomical::nodal::NodalFactor;
using astronomical::nodal::NodalGroup;

// The first four Doodson numbers of a constituent: the multiples of the mean
// lunar time τ and of the Moon's, the Sun's and the perigee's longitudes s,
// h, p in its equilibrium argument.
struct Doodson {
  std::int8_t tau;
  std::int8_t s;
  std::int8_t h;
  std::int8_t p;
};

// A supported constituent: its angular speed in degrees per mean solar hour,
// its equilibrium argument's multiples and the group whose nodal factor f
// and phase correction u it takes.
struct ConstituentDef {
  std::string_view name;
  double speed;
  Doodson doodson;
  NodalGroup nodal_group;

  // V0 in degrees, reduced: ((k_τ·τ + k_s·s) + k_h·h) + k_p·p with τ the
  // mean lunar time of `a`.
  double equilibrium_argument(const AstronomicalArguments& a) const;
  // The same with τ = mean_lunar_time(a) already worked out.
  double equilibrium_argument(const AstronomicalArguments& a, double tau) const;
};

// Mean lunar time τ = (gmst − s) + 180 in degrees, reduced.
double mean_lunar_time(const AstronomicalArguments& a);

// The 13 supported constituents, M2 first.
extern const std::array<ConstituentDef, 13> CONSTITUENTS;

// The table row with exactly this name, or nullptr.
const ConstituentDef* find_constituent(std::string_view name);

// The nodal factor f and correction u of the named constituent; f = 1 and
// u = 0 for a name outside the table.
NodalFactor nodal_factor(const NodalCorrections& nodal, std::string_view name);

}  // namespace nerith::harmonic::constituents
