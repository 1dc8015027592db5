#include "harmonic/engine.hpp"

#include <cmath>
#include <numeric>

namespace nerith::harmonic::engine {
namespace {

constexpr double kPi = 3.141592653589793;

}  // namespace

// h(t) = Z0 + Σ f·A·cos(u + (V0 + ω·Δh) − g), Δh in hours since t_ref.
double height_with_nodal(std::int64_t t, std::int64_t t_ref,
                         std::span<const ports::HarmonicConstituent> constituents,
                         const AstronomicalArguments& astro, const NodalCorrections& nodal,
                         double mean_level) {
  const double hours = static_cast<double>(t - t_ref) / 3600.0;
  double sum = 0.0;
  for (const ports::HarmonicConstituent& c : constituents) {
    const ConstituentDef* def = find_constituent(c.name);
    if (def == nullptr) continue;
    const double v0 = def->equilibrium_argument(astro);
    const auto [f, u] = nodal.factor(def->nodal_group);
    const double phase = u + (v0 + def->speed * hours) - c.phase_lag;
    sum += std::cos((phase * kPi) / 180.0) * (f * c.amplitude);
  }
  return mean_level + sum;
}

WindowTerms::WindowTerms(std::int64_t t_ref, const AstronomicalArguments& astro,
                         const NodalCorrections& nodal,
                         std::span<const ports::HarmonicConstituent> constituents,
                         double mean_level)
    : t_ref_(t_ref), mean_level_(mean_level) {
  terms_.reserve(constituents.size());
  for (const ports::HarmonicConstituent& c : constituents) {
    const ConstituentDef* def = find_constituent(c.name);
    if (def == nullptr) continue;
    const auto [f, u] = nodal.factor(def->nodal_group);
    terms_.push_back(
        {def->speed, def->equilibrium_argument(astro), u, c.phase_lag, f * c.amplitude});
  }
}

// The loop of height_with_nodal with the per-window values read, not recomputed.
double WindowTerms::height(std::int64_t t) const {
  const double hours = static_cast<double>(t - t_ref_) / 3600.0;
  double sum = 0.0;
  for (const PreparedTerm& term : terms_) {
    const double phase = term.u + (term.v0 + term.speed * hours) - term.phase_lag;
    sum += std::cos((phase * kPi) / 180.0) * term.scale;
  }
  return mean_level_ + sum;
}

std::vector<HeightSample> compute_heights(std::int64_t start, std::int64_t end, std::uint32_t step,
                                          std::span<const ports::HarmonicConstituent> constituents,
                                          double mean_level) {
  std::vector<HeightSample> samples;
  if (start > end) return samples;
  const AstronomicalArguments astro = AstronomicalArguments::at(start);
  // start + (end − start) / 2 truncated toward zero, without overflow.
  const NodalCorrections nodal = NodalCorrections::at(std::midpoint(start, end));
  const std::uint64_t span = static_cast<std::uint64_t>(end) - static_cast<std::uint64_t>(start);
  const std::uint64_t count = step == 0 ? 1 : span / step + 1;
  const WindowTerms terms(start, astro, nodal, constituents, mean_level);
  samples.reserve(count);
  for (std::uint64_t i = 0; i < count; ++i) {
    const auto t = static_cast<std::int64_t>(static_cast<std::uint64_t>(start) + i * step);
    samples.push_back({t, terms.height(t)});
  }
  return samples;
}

}  // namespace nerith::harmonic::engine
