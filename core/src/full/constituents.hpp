// The full model's constituent table: one row per constituent with its
// extended Doodson numbers, phase offset and nodal rule.
#pragma once

#include <array>
#include <string_view>

#include "full/astronomy.hpp"

namespace nerith::full::constituents {

// The nodal formulas of the basic constituents (Schureman SP-98 equation
// numbers in constituents.cpp). Compound rows take theirs from their parts.
enum class NodalRule { Solar, Mm, Mf, O1, J1, OO1, M1, M2, K1, K2, L2, M3, Compound };

// One part of a compound constituent: another row of the table, times a
// whole number (negative for a difference).
struct Part {
  std::string_view name;
  int times = 0;
};

struct Constituent {
  std::string_view name;
  // Multipliers of τ, s, h, p, N′ = −N and p′.
  std::array<int, 6> doodson;
  int offset;  // degrees: 0, ±90 or 180
  NodalRule rule;
  std::array<Part, 3> parts;  // compound rows only; unused entries have times 0

  // Cycles per lunar day: 0 long period, 1 diurnal, 2 semi-diurnal, ...
  int species() const { return doodson[0]; }
};

extern const std::array<Constituent, 50> TABLE;

// The row with exactly this name, or nullptr.
const Constituent* find(std::string_view name);

// Angular speed in degrees per mean solar hour, from the Doodson numbers.
double speed(const Constituent& c);

// Equilibrium argument V in degrees, [0, 360): Σ doodson·argument + offset.
double equilibrium_argument(const Constituent& c, const astronomy::Arguments& a);

// Nodal amplitude factor f and phase correction u (degrees).
struct NodeFactor {
  double f = 1.0;
  double u = 0.0;
};

NodeFactor node_factor(const Constituent& c, const astronomy::NodeTerms& k);

// f and u of every basic rule at one set of node terms, worked out once for
// all the rows of a station; of(c) then costs a lookup (a few products for a
// compound row) and equals node_factor(c, k).
class NodeFactors {
 public:
  explicit NodeFactors(const astronomy::NodeTerms& k);
  NodeFactor of(const Constituent& c) const;

 private:
  std::array<NodeFactor, static_cast<std::size_t>(NodalRule::Compound)> basic_;
};

}  // namespace nerith::full::constituents
