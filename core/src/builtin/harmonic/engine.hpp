// The harmonic height engine: mean level plus one cosine term per known
// constituent, each scaled and shifted by its nodal corrections.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "builtin/astronomical/nodal.hpp"
#include "builtin/harmonic/constituents.hpp"
#include "nerith/ports.hpp"
#include "nerith/ports/day_prediction.hpp"

namespace nerith::harmonic::engine {

using astronomical::nodal::AstronomicalArguments;
using astronomical::nodal::NodalCorrections;

using constituents::ConstituentDef;
using constituents::CONSTITUENTS;
using constituents::find_constituent;

// Height in metres at t. `astro` must be AstronomicalArguments::at(t_ref);
// `nodal` may be taken at any instant the caller chooses. Constituents whose
// names are not in CONSTITUENTS contribute nothing.
double height_with_nodal(std::int64_t t, std::int64_t t_ref,
                         std::span<const ports::HarmonicConstituent> constituents,
                         const AstronomicalArguments& astro, const NodalCorrections& nodal,
                         double mean_level);

// One known constituent's term with everything worked out but the time:
// f·A·cos(u + (V0 + ω·Δh) − g).
struct PreparedTerm {
  double speed;      // ω, degrees per mean solar hour
  double v0;         // equilibrium argument, degrees
  double u;          // nodal phase correction, degrees
  double phase_lag;  // g, degrees
  double scale;      // f × amplitude, metres
};

// The harmonic sum of one port against fixed arguments, for evaluating many
// instants: each known constituent's speed, V0, f and u are worked out once
// and unknown names are dropped once. height(t) performs the floating-point
// operations of height_with_nodal(t, t_ref, constituents, astro, nodal,
// mean_level) in the same order, so the two agree to the last bit.
class WindowTerms {
 public:
  WindowTerms(std::int64_t t_ref, const AstronomicalArguments& astro, const NodalCorrections& nodal,
              std::span<const ports::HarmonicConstituent> constituents, double mean_level);

  // Height in metres at t; t − t_ref must not overflow.
  double height(std::int64_t t) const;

  // height(times[i]) into out[i] for every i (out is at least as long).
  // The phases of a block of instants are worked out first and their
  // cosines taken back to back, which keeps the cos calls off the phase
  // arithmetic's latency; each sum still adds its terms in order.
  void heights(std::span<const std::int64_t> times, std::span<double> out) const;

  std::int64_t t_ref() const { return t_ref_; }
  double mean_level() const { return mean_level_; }
  std::span<const PreparedTerm> terms() const { return terms_; }

 private:
  std::int64_t t_ref_;
  double mean_level_;
  std::vector<PreparedTerm> terms_;
};

// heights() chooses its kernel once, by what the processor offers: four
// lanes wide with AVX2, else two SSE2 lanes. This runs the one asked for
// (false, with nothing written, when the processor lacks it), so that tests
// can hold the two to each other.
enum class Kernel { Baseline, Avx2 };
bool heights_with(Kernel kernel, const WindowTerms& terms, std::span<const std::int64_t> times,
                  std::span<double> out);

// Heights at start, start + step, ... up to end (inclusive), with the
// astronomical arguments taken at start and the node at the window's middle.
// Empty when start > end. A step of 0 yields the single sample at start.
std::vector<HeightSample> compute_heights(std::int64_t start, std::int64_t end, std::uint32_t step,
                                          std::span<const ports::HarmonicConstituent> constituents,
                                          double mean_level);

}  // namespace nerith::harmonic::engine
