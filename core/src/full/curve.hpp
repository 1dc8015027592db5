// The full model's height curve over one window: each constituent's term
// worked out once, then heights on the 300 s scan grid by rotating each
// term's phasor one step (one complex product per constituent), and heights
// elsewhere by the direct cosine sum. The same phasors give the slope on the
// grid, from which the turning points are placed to the second.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "common/harmonic/extremes.hpp"
#include "full/catalogue.hpp"
#include "nerith/types.hpp"

namespace nerith::full::curve {

// f·A·cos(phase + omega·(t − t_ref)).
struct Term {
  double scale;     // f × amplitude, metres
  double phase;     // V0 + u − g at t_ref, radians
  double omega;     // radians per second
  std::size_t row;  // of constituents::TABLE
};

// Which constituents a curve keeps.
enum class Species { All, SemiDiurnal };

// The station's terms with V0 at t_ref and f, u at node_time, folded as
// `folding` says (nullptr: not folded) at its instant for node_time.
std::vector<Term> prepare(const Port& station, const catalogue::Rows& rows,
                          const folding::Folding* folding, std::int64_t t_ref,
                          std::int64_t node_time, Species species = Species::All);

// mean_level + Σ f·A·cos(phase + ω·(t − t_ref)), one cosine per term.
double direct_height(std::span<const Term> terms, double mean_level, std::int64_t t_ref,
                     std::int64_t t);

// A window [start, end) of one station's curve, with the astronomy at start
// and the nodal corrections at the window's middle, as the built-in model
// takes them. One curve serves one query on one thread: height() keeps a
// cursor on the scan grid start − 300, start, start + 300, …
class Curve {
 public:
  // Folded as `folding` says (nullptr: not folded).
  Curve(const Port& station, const catalogue::Rows& rows, const folding::Folding* folding,
        std::int64_t start, std::int64_t end, Species species = Species::All);

  std::int64_t start() const { return start_; }
  std::int64_t end() const { return end_; }

  // Height in metres above chart datum at t: the next scan-grid instant by
  // one rotation, any other instant by direct_height.
  double height(std::int64_t t) const;

  // The turning point between u − 300 and u + 300, where the scan saw the
  // height at u top (or bottom) both neighbours: its instant to the nearest
  // second and the height there. The slopes on the grid bracket it, and
  // Newton steps on the direct sum's derivatives finish it.
  HeightSample turning_point(std::int64_t u, double before, double at, double after) const;

  // Always the direct sum (for checking the rotations).
  double direct(std::int64_t t) const { return direct_height(terms_, mean_level_, start_, t); }

 private:
  // The height and its first three time derivatives (per second) at t.
  struct Derivatives {
    double height, first, second, third;
  };
  Derivatives derivatives(double t) const;
  // dH/dt at a grid instant: kept from the scan when it passed there.
  double slope(std::int64_t t) const;
  void seek(std::int64_t t) const;
  void keep_slope() const;
  std::size_t ring_slot(std::int64_t t) const;

  std::int64_t start_;
  std::int64_t end_;
  double mean_level_;
  std::vector<Term> terms_;
  // Phasors at the cursor (real and imaginary parts), the rotation of one
  // scan step and each term's speed, as separate arrays so that the update
  // vectorises.
  mutable std::vector<double> re_, im_;
  std::vector<double> step_re_, step_im_, omega_;
  mutable std::int64_t cursor_;
  mutable double cursor_height_ = 0.0;
  // The slopes of the last grid instants the cursor passed, by grid index
  // modulo the ring's size (the scan reads at most 64 instants ahead).
  static constexpr std::size_t kRing = 256;
  mutable std::array<std::int64_t, kRing> slope_time_;
  mutable std::array<double, kRing> slope_;
};

}  // namespace nerith::full::curve
