#include "builtin/harmonic/engine.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numeric>
#include <optional>

namespace nerith::harmonic::engine {
namespace {

using astronomical::nodal::NODAL_GROUPS;
using astronomical::nodal::NodalFactor;

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
  // Each group's factor once: the same doubles as asking per constituent.
  std::array<std::optional<NodalFactor>, NODAL_GROUPS> factors;
  const double tau = constituents::mean_lunar_time(astro);
  terms_.reserve(constituents.size());
  for (const ports::HarmonicConstituent& c : constituents) {
    const ConstituentDef* def = find_constituent(c.name);
    if (def == nullptr) continue;
    auto& factor = factors[static_cast<std::size_t>(def->nodal_group)];
    if (!factor) factor = nodal.factor(def->nodal_group);
    terms_.push_back({def->speed, def->equilibrium_argument(astro, tau), factor->u, c.phase_lag,
                      factor->f * c.amplitude});
  }
}

namespace {

// Instants and terms per pass of heights(): the phases of one pass fill 4 KiB.
constexpr std::size_t kInstants = 32;
constexpr std::size_t kTerms = 16;
constexpr std::size_t kLanes = 4;

// Four instants side by side. Each lane is worked out with exactly the
// scalar operations, in the same order: vector arithmetic rounds like scalar
// arithmetic, and nothing is contracted (-ffp-contract=off). Without AVX the
// compiler splits each operation into two SSE2 halves.
using Lanes = double __attribute__((vector_size(kLanes * sizeof(double))));

// The heights at `n` <= kInstants instants. For each instant, term by term:
// the phase u + (V0 + ω·Δh) − g in degrees with Δh = (t − t_ref) / 3600, its
// cosine of (phase·π)/180 radians, and the sum of cos × f·A in table order.
// The phases are worked out a vector at a time, their cosines taken back to
// back, then the sums added up a vector at a time.
[[gnu::always_inline]] inline void block_heights(std::span<const PreparedTerm> terms,
                                                 double mean_level, std::int64_t t_ref,
                                                 const std::int64_t* times, std::size_t n,
                                                 double* out) {
  const std::size_t vectors = (n + kLanes - 1) / kLanes;
  alignas(32) std::array<double, kInstants> seconds;
  for (std::size_t i = 0; i < n; ++i) seconds[i] = static_cast<double>(times[i] - t_ref);
  for (std::size_t i = n; i < vectors * kLanes; ++i) seconds[i] = 0.0;  // spare lanes
  std::array<Lanes, kInstants / kLanes> hours;
  std::array<Lanes, kInstants / kLanes> sums;
  for (std::size_t v = 0; v < vectors; ++v) {
    Lanes dt;
    std::memcpy(&dt, &seconds[kLanes * v], sizeof dt);
    hours[v] = dt / 3600.0;
    sums[v] = Lanes{};
  }
  for (std::size_t k0 = 0; k0 < terms.size(); k0 += kTerms) {
    const std::span<const PreparedTerm> chunk =
        terms.subspan(k0, std::min(kTerms, terms.size() - k0));
    alignas(32) std::array<std::array<double, kInstants>, kTerms> x;
    for (std::size_t k = 0; k < chunk.size(); ++k) {
      const PreparedTerm& term = chunk[k];
      for (std::size_t v = 0; v < vectors; ++v) {
        const Lanes phase = term.u + (term.v0 + term.speed * hours[v]) - term.phase_lag;
        const Lanes radians = (phase * kPi) / 180.0;
        std::memcpy(&x[k][kLanes * v], &radians, sizeof radians);
      }
    }
    for (std::size_t k = 0; k < chunk.size(); ++k) {
      for (std::size_t i = 0; i < n; ++i) x[k][i] = std::cos(x[k][i]);
    }
    for (std::size_t k = 0; k < chunk.size(); ++k) {
      for (std::size_t v = 0; v < vectors; ++v) {
        Lanes c;
        std::memcpy(&c, &x[k][kLanes * v], sizeof c);
        sums[v] += c * chunk[k].scale;
      }
    }
  }
  for (std::size_t i = 0; i < n; ++i) out[i] = mean_level + sums[i / kLanes][i % kLanes];
}

using BlockHeights = void (*)(std::span<const PreparedTerm>, double, std::int64_t,
                              const std::int64_t*, std::size_t, double*);

void block_heights_baseline(std::span<const PreparedTerm> terms, double mean_level,
                            std::int64_t t_ref, const std::int64_t* times, std::size_t n,
                            double* out) {
  block_heights(terms, mean_level, t_ref, times, n, out);
}

#if defined(__x86_64__)
// The same operations four lanes wide: they halve the cost of the divisions.
__attribute__((target("avx2"))) void block_heights_avx2(std::span<const PreparedTerm> terms,
                                                        double mean_level, std::int64_t t_ref,
                                                        const std::int64_t* times, std::size_t n,
                                                        double* out) {
  block_heights(terms, mean_level, t_ref, times, n, out);
}
#endif

BlockHeights block_heights_for(Kernel kernel) {
#if defined(__x86_64__)
  if (kernel == Kernel::Avx2) return __builtin_cpu_supports("avx2") ? block_heights_avx2 : nullptr;
#else
  if (kernel == Kernel::Avx2) return nullptr;
#endif
  return block_heights_baseline;
}

// Heights at `times` through one kernel, a block of instants at a time.
void heights_by(BlockHeights block, const WindowTerms& terms, std::span<const std::int64_t> times,
                std::span<double> out) {
  for (std::size_t i0 = 0; i0 < times.size(); i0 += kInstants) {
    const std::size_t n = std::min(kInstants, times.size() - i0);
    block(terms.terms(), terms.mean_level(), terms.t_ref(), times.data() + i0, n, out.data() + i0);
  }
}

}  // namespace

bool heights_with(Kernel kernel, const WindowTerms& terms, std::span<const std::int64_t> times,
                  std::span<double> out) {
  const BlockHeights block = block_heights_for(kernel);
  if (block == nullptr) return false;
  heights_by(block, terms, times, out);
  return true;
}

double WindowTerms::height(std::int64_t t) const {
  double out = 0.0;
  heights({&t, 1}, {&out, 1});
  return out;
}

void WindowTerms::heights(std::span<const std::int64_t> times, std::span<double> out) const {
  static const BlockHeights block = [] {
    const BlockHeights wide = block_heights_for(Kernel::Avx2);
    return wide != nullptr ? wide : block_heights_for(Kernel::Baseline);
  }();
  heights_by(block, *this, times, out);
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
  samples.resize(count);
  std::array<std::int64_t, kInstants> times;
  std::array<double, kInstants> heights;
  for (std::uint64_t i0 = 0; i0 < count; i0 += kInstants) {
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kInstants, count - i0));
    for (std::size_t i = 0; i < n; ++i) {
      times[i] = static_cast<std::int64_t>(static_cast<std::uint64_t>(start) + (i0 + i) * step);
    }
    terms.heights(std::span(times).first(n), heights);
    for (std::size_t i = 0; i < n; ++i) samples[i0 + i] = {times[i], heights[i]};
  }
  return samples;
}

}  // namespace nerith::harmonic::engine
