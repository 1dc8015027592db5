// What the full model works out from a row of the constituent table: its
// speed, its equilibrium argument and its nodal corrections.
#pragma once

#include <array>
#include <string_view>

#include "full/astronomy.hpp"
#include "full/constituent_table.hpp"

namespace nerith::full::constituents {

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
