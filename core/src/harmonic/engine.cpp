#include "harmonic/engine.hpp"

#include <cmath>
#include <numeric>

namespace nerith::harmonic::engine {
namespace {

using astronomical::nodal::normalize_degrees;

constexpr double kPi = 3.141592653589793;

// Mean lunar time τ = (gmst − s) + 180, reduced; every V0 is built on it.
double tau(const AstronomicalArguments& a) {
  return normalize_degrees((a.gmst - a.s) + 180.0);
}

double v0_m2(const AstronomicalArguments& a) {
  return normalize_degrees(2.0 * tau(a));
}
double v0_s2(const AstronomicalArguments& a) {
  return normalize_degrees(2.0 * tau(a) + 2.0 * a.s - 2.0 * a.h);
}
double v0_n2(const AstronomicalArguments& a) {
  return normalize_degrees(2.0 * tau(a) - a.s + a.p);
}
double v0_k2(const AstronomicalArguments& a) {
  return normalize_degrees(2.0 * tau(a) + 2.0 * a.s);
}
double v0_k1(const AstronomicalArguments& a) {
  return normalize_degrees(tau(a) + a.s);
}
double v0_o1(const AstronomicalArguments& a) {
  return normalize_degrees(tau(a) - a.s);
}
double v0_p1(const AstronomicalArguments& a) {
  return normalize_degrees(tau(a) + a.s - 2.0 * a.h);
}
double v0_q1(const AstronomicalArguments& a) {
  return normalize_degrees(tau(a) - 2.0 * a.s + a.p);
}
double v0_m4(const AstronomicalArguments& a) {
  return normalize_degrees(4.0 * tau(a));
}
double v0_ms4(const AstronomicalArguments& a) {
  return normalize_degrees(4.0 * tau(a) + 2.0 * a.s - 2.0 * a.h);
}
double v0_mn4(const AstronomicalArguments& a) {
  return normalize_degrees(4.0 * tau(a) - a.s + a.p);
}
double v0_m6(const AstronomicalArguments& a) {
  return normalize_degrees(6.0 * tau(a));
}
double v0_2ms6(const AstronomicalArguments& a) {
  return normalize_degrees(6.0 * tau(a) + 2.0 * a.s - 2.0 * a.h);
}

}  // namespace

// Speeds are the tabled values (°/h), not recomputed from Doodson numbers.
const std::array<ConstituentDef, 13> CONSTITUENTS = {{
    {"M2", v0_m2, 28.9841042},
    {"S2", v0_s2, 30.0},
    {"N2", v0_n2, 28.4397295},
    {"K2", v0_k2, 30.0821373},
    {"K1", v0_k1, 15.0410686},
    {"O1", v0_o1, 13.9430356},
    {"P1", v0_p1, 14.9589314},
    {"Q1", v0_q1, 13.3986609},
    {"M4", v0_m4, 57.9682084},
    {"MS4", v0_ms4, 58.9841042},
    {"MN4", v0_mn4, 57.4238337},
    {"M6", v0_m6, 86.9523127},
    {"2MS6", v0_2ms6, 87.9682084},
}};

const ConstituentDef* find_constituent(std::string_view name) {
  for (const ConstituentDef& def : CONSTITUENTS) {
    if (def.name == name) return &def;
  }
  return nullptr;
}

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
    const double phase = nodal.u(c.name) + (v0 + def->speed * hours) - c.phase_lag;
    sum += std::cos((phase * kPi) / 180.0) * (nodal.f(c.name) * c.amplitude);
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
    terms_.push_back({def->speed, def->equilibrium_argument(astro), nodal.u(c.name), c.phase_lag,
                      nodal.f(c.name) * c.amplitude});
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
