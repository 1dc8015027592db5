// The harmonic height engine: mean level plus one cosine term per known
// constituent, each scaled and shifted by its nodal corrections.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "nerith/astronomical/nodal.hpp"
#include "nerith/ports.hpp"

namespace nerith::harmonic::engine {

using astronomical::nodal::AstronomicalArguments;
using astronomical::nodal::NodalCorrections;

// One point of a height curve: Unix seconds, metres.
struct HeightSample {
  std::int64_t time = 0;
  double height = 0.0;

  friend bool operator==(const HeightSample&, const HeightSample&) = default;
};

// A supported constituent: its equilibrium argument V0 (degrees, from the
// astronomical arguments) and its angular speed in degrees per mean solar hour.
struct ConstituentDef {
  std::string_view name;
  double (*equilibrium_argument)(const AstronomicalArguments&);
  double speed;
};

// The 13 supported constituents, M2 first.
extern const std::array<ConstituentDef, 13> CONSTITUENTS;

// The table row with exactly this name, or nullptr.
const ConstituentDef* find_constituent(std::string_view name);

// Height in metres at t. `astro` must be AstronomicalArguments::at(t_ref);
// `nodal` may be taken at any instant the caller chooses. Constituents whose
// names are not in CONSTITUENTS contribute nothing.
double height_with_nodal(std::int64_t t, std::int64_t t_ref,
                         std::span<const ports::HarmonicConstituent> constituents,
                         const AstronomicalArguments& astro, const NodalCorrections& nodal,
                         double mean_level);

// Heights at start, start + step, ... up to end (inclusive), with the
// astronomical arguments taken at start and the node at the window's middle.
// Empty when start > end. A step of 0 yields the single sample at start.
std::vector<HeightSample> compute_heights(std::int64_t start, std::int64_t end,
                                          std::uint32_t step,
                                          std::span<const ports::HarmonicConstituent> constituents,
                                          double mean_level);

}  // namespace nerith::harmonic::engine
