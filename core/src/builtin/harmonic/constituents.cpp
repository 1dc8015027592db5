#include "builtin/harmonic/constituents.hpp"

namespace nerith::harmonic::constituents {

using astronomical::nodal::normalize_degrees;

// A zero multiple adds +0.0, which leaves every sum unchanged, so each V0
// is the same double as its formula written out (2τ − s + p for N2).
double ConstituentDef::equilibrium_argument(const AstronomicalArguments& a, double tau) const {
  return normalize_degrees(((doodson.tau * tau + doodson.s * a.s) + doodson.h * a.h) +
                           doodson.p * a.p);
}

double ConstituentDef::equilibrium_argument(const AstronomicalArguments& a) const {
  return equilibrium_argument(a, mean_lunar_time(a));
}

double mean_lunar_time(const AstronomicalArguments& a) {
  return normalize_degrees((a.gmst - a.s) + 180.0);
}

// Speeds are the tabled values (°/h), not recomputed from Doodson numbers.
// S2 and P1 have no nodal modulation; MS4 takes M2's, the other compound
// tides powers of it.
const std::array<ConstituentDef, 13> CONSTITUENTS = {{
    {"M2", 28.9841042, {2, 0, 0, 0}, NodalGroup::M2},
    {"S2", 30.0, {2, 2, -2, 0}, NodalGroup::None},
    {"N2", 28.4397295, {2, -1, 0, 1}, NodalGroup::M2},
    {"K2", 30.0821373, {2, 2, 0, 0}, NodalGroup::K2},
    {"K1", 15.0410686, {1, 1, 0, 0}, NodalGroup::K1},
    {"O1", 13.9430356, {1, -1, 0, 0}, NodalGroup::O1},
    {"P1", 14.9589314, {1, 1, -2, 0}, NodalGroup::None},
    {"Q1", 13.3986609, {1, -2, 0, 1}, NodalGroup::O1},
    {"M4", 57.9682084, {4, 0, 0, 0}, NodalGroup::M2Squared},
    {"MS4", 58.9841042, {4, 2, -2, 0}, NodalGroup::M2},
    {"MN4", 57.4238337, {4, -1, 0, 1}, NodalGroup::M2Squared},
    {"M6", 86.9523127, {6, 0, 0, 0}, NodalGroup::M2Cubed},
    {"2MS6", 87.9682084, {6, 2, -2, 0}, NodalGroup::M2Squared},
}};

const ConstituentDef* find_constituent(std::string_view name) {
  for (const ConstituentDef& def : CONSTITUENTS) {
    if (def.name == name) return &def;
  }
  return nullptr;
}

NodalFactor nodal_factor(const NodalCorrections& nodal, std::string_view name) {
  const ConstituentDef* def = find_constituent(name);
  return nodal.factor(def != nullptr ? def->nodal_group : NodalGroup::None);
}

}  // namespace nerith::harmonic::constituents
