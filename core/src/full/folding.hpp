// Rayleigh folding: constituents that a gauge's record was too short to
// separate. Two constituents less than one cycle apart over the record
// (|Δω|·T < 360°) are resolved only as their sum; apart, the analysis gives
// each an amplitude that fits the record and beats falsely decades away.
// The weaker of such a pair is folded into the stronger: within the
// analysis span the pair is kept as it is; far from it, the stronger
// carries the pair's sum as it stood at the middle of the span.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "full/constituent_table.hpp"
#include "nerith/full/api.hpp"

namespace nerith::full::folding {

// A constituent folded into a stronger one: indexes into the station's
// constituents.
struct Fold {
  std::size_t stronger = 0;
  std::size_t weaker = 0;
};

struct Folding {
  std::int64_t first = 0;  // the analysis span: its first day's start
  std::int64_t last = 0;   // and its last day's end, Unix seconds
  std::vector<Fold> folds;

  // The instant whose pair phases a window centred on t keeps. Within the
  // span, t itself (the pair as analysed); for another half span beyond an
  // edge, back towards the middle at the same rate; beyond that, the
  // middle. Continuous, so no step appears at the edges.
  std::int64_t instant(std::int64_t t) const;
};

// The folds of a station: every constituent within one cycle over the
// record of a stronger one that is kept, folded into the strongest such,
// strongest first. No folds for a span that is not two valid dates.
// `rows` are the station's table rows, in its order.
Folding fold(const Port& station, const std::vector<const constituents::Constituent*>& rows);

}  // namespace nerith::full::folding
