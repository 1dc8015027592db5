// Which constituents of a gauge the full model folds: those its record was
// too short to separate from a stronger one (Rayleigh's criterion, less than
// one cycle apart over the analysis span). Within the span the prediction
// keeps them as analysed; far from it the stronger carries their sum as it
// stood at the span's middle, so no false beat appears.
#pragma once

#include <string_view>
#include <vector>

#include "nerith/model.hpp"

namespace nerith::full {

using model::FoldedConstituent;

// The folded constituents of the gauge with exactly this id, the strongest
// pair first; empty when it folds none or the id is unknown.
std::vector<FoldedConstituent> folded_constituents(std::string_view id);

}  // namespace nerith::full
