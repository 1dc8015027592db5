#include "full/curve.hpp"

#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <numbers>
#include <numeric>
#include <tuple>
#include <utility>

#include "common/harmonic/extremes.hpp"

namespace nerith::full::curve {
namespace {

constexpr double kRadian = std::numbers::pi / 180.0;
constexpr std::int64_t kStep = harmonic::extremes::SCAN_STEP;
constexpr std::size_t kLanes = 4;  // terms per pass of the rotation loop: two pairs

// Two doubles as one value; GCC and Clang lower it to one SIMD register
// where the target has them and to two scalars elsewhere.
using Pair = double __attribute__((vector_size(16)));

Pair load(const double* p) {
  Pair v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

void store(double* p, Pair v) {
  std::memcpy(p, &v, sizeof v);
}

// Where the cubic with heights h0, h1 and slopes d0, d1 (per unit of x) at
// x = 0 and x = 1 is flat, for slopes of opposite signs: the one root of its
// derivative in [0, 1]. The linear zero of the slope when that fails.
double cubic_turning_point(double h0, double h1, double d0, double d1) {
  const double linear = d0 / (d0 - d1);
  // p′(x) = qa·x² + qb·x + qc.
  const double qa = 6.0 * (h0 - h1) + 3.0 * (d0 + d1);
  const double qb = -6.0 * (h0 - h1) - 4.0 * d0 - 2.0 * d1;
  const double qc = d0;
  const double discriminant = qb * qb - 4.0 * qa * qc;
  if (!(discriminant >= 0.0)) return linear;
  const double q = -0.5 * (qb + std::copysign(std::sqrt(discriminant), qb));
  for (const double x : {qc / q, q / qa}) {
    if (x >= 0.0 && x <= 1.0) return x;
  }
  return linear;
}

// Radians per second.
double omega(const constituents::Constituent& row) {
  return constituents::speed(row) * kRadian / 3600.0;
}

// cos and sin of each table row's turn in one scan step, worked out once.
const auto& step_rotations() {
  static const auto table = [] {
    std::array<std::pair<double, double>, std::tuple_size_v<decltype(constituents::TABLE)>> t{};
    for (std::size_t i = 0; i < t.size(); ++i) {
      const double turn = omega(constituents::TABLE[i]) * static_cast<double>(kStep);
      t[i] = {std::cos(turn), std::sin(turn)};
    }
    return t;
  }();
  return table;
}

// Each weaker constituent joins its stronger one: the stronger term's
// phasor is multiplied by 1 + Σ ρ·e^{iΔ}, ρ and Δ the weaker's amplitude
// ratio and phase against the stronger's (nodal corrections included) at
// the folding's instant, and the weaker's term goes.
void apply_folds(const Port& station, const catalogue::Rows& rows, const folding::Folding& folding,
                 std::int64_t node_time, const std::vector<std::size_t>& term_of,
                 std::vector<Term>& terms) {
  const auto at = astronomy::Arguments::at(folding.instant(node_time));
  const constituents::NodeFactors node(astronomy::NodeTerms::from(at));
  const auto phasor = [&](std::size_t i) {
    const auto [f, u] = node.of(*rows[i]);
    const ports::HarmonicConstituent& c = station.constituents[i];
    const double degrees = constituents::equilibrium_argument(*rows[i], at) + u - c.phase_lag;
    return std::polar(f * c.amplitude, degrees * kRadian);
  };
  std::vector<std::complex<double>> factor(terms.size(), 1.0);
  std::vector<bool> gone(terms.size(), false);
  for (const folding::Fold& fold : folding.folds) {
    const std::size_t strong = term_of[fold.stronger];
    const std::size_t weak = term_of[fold.weaker];
    if (strong >= terms.size() || weak >= terms.size()) continue;
    const std::complex<double> base = phasor(fold.stronger);
    if (base == 0.0) continue;
    factor[strong] += phasor(fold.weaker) / base;
    gone[weak] = true;
  }
  std::vector<Term> kept;
  kept.reserve(terms.size());
  for (std::size_t k = 0; k < terms.size(); ++k) {
    if (gone[k]) continue;
    Term term = terms[k];
    term.scale *= std::abs(factor[k]);
    term.phase = std::remainder(term.phase + std::arg(factor[k]), 2.0 * std::numbers::pi);
    kept.push_back(term);
  }
  terms = std::move(kept);
}

}  // namespace

std::vector<Term> prepare(const Port& station, const catalogue::Rows& rows,
                          const folding::Folding* folding, std::int64_t t_ref,
                          std::int64_t node_time, Species species) {
  const auto arguments = astronomy::Arguments::at(t_ref);
  const constituents::NodeFactors node(
      astronomy::NodeTerms::from(astronomy::Arguments::at(node_time)));
  std::vector<Term> terms;
  terms.reserve(rows.size());
  // The term of each of the station's constituents, when the species keeps it.
  std::vector<std::size_t> term_of(rows.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const constituents::Constituent& row = *rows[i];
    if (species == Species::SemiDiurnal && row.species() != 2) continue;
    const ports::HarmonicConstituent& c = station.constituents[i];
    const auto [f, u] = node.of(row);
    const double degrees = constituents::equilibrium_argument(row, arguments) + u - c.phase_lag;
    term_of[i] = terms.size();
    terms.push_back({f * c.amplitude, std::remainder(degrees, 360.0) * kRadian, omega(row),
                     static_cast<std::size_t>(&row - constituents::TABLE.data())});
  }
  if (folding != nullptr && !folding->folds.empty()) {
    apply_folds(station, rows, *folding, node_time, term_of, terms);
  }
  return terms;
}

double direct_height(std::span<const Term> terms, double mean_level, std::int64_t t_ref,
                     std::int64_t t) {
  const auto dt = static_cast<double>(t - t_ref);
  double sum = 0.0;
  for (const Term& term : terms) sum += term.scale * std::cos(term.phase + term.omega * dt);
  return mean_level + sum;
}

Curve::Curve(const Port& station, const catalogue::Rows& rows, const folding::Folding* folding,
             std::int64_t start, std::int64_t end, Species species)
    : start_(start),
      end_(end),
      mean_level_(species == Species::All ? station.mean_water_level : 0.0),
      terms_(prepare(station, rows, folding, start, std::midpoint(start, end), species)) {
  // Padded to whole blocks of kLanes with terms of no amplitude.
  const std::size_t n = (terms_.size() + kLanes - 1) / kLanes * kLanes;
  re_.assign(n, 0.0);
  im_.assign(n, 0.0);
  step_re_.assign(n, 1.0);
  step_im_.assign(n, 0.0);
  omega_.assign(n, 0.0);
  const auto& rotations = step_rotations();
  for (std::size_t i = 0; i < terms_.size(); ++i) {
    step_re_[i] = rotations[terms_[i].row].first;
    step_im_[i] = rotations[terms_[i].row].second;
    omega_[i] = terms_[i].omega;
  }
  slope_time_.fill(std::numeric_limits<std::int64_t>::min());
  seek(start - kStep);
}

// Puts the cursor on t with phasors from the direct angles.
void Curve::seek(std::int64_t t) const {
  const auto dt = static_cast<double>(t - start_);
  double sum = 0.0;
  for (std::size_t i = 0; i < terms_.size(); ++i) {
    const double angle = terms_[i].phase + terms_[i].omega * dt;
    re_[i] = terms_[i].scale * std::cos(angle);
    im_[i] = terms_[i].scale * std::sin(angle);
    sum += re_[i];
  }
  cursor_ = t;
  cursor_height_ = mean_level_ + sum;
  keep_slope();
}

// dH/dt = −Σ ω·im at the cursor, into the ring.
void Curve::keep_slope() const {
  double sum = 0.0;
  for (std::size_t i = 0; i < re_.size(); ++i) sum += omega_[i] * im_[i];
  const std::size_t slot = ring_slot(cursor_);
  slope_time_[slot] = cursor_;
  slope_[slot] = -sum;
}

double Curve::height(std::int64_t t) const {
  if (t == cursor_) return cursor_height_;
  if (t != cursor_ + kStep) return direct(t);
  // (re + i·im)·(c + i·s), term by term; the scan walks 300 s at a time.
  // Two terms at a time in one vector register, and the height and the
  // slope summed in two such registers each, so that the additions need not
  // wait on one another. The order of every operation is fixed by the code,
  // so the results are the same on any target.
  const std::size_t n = re_.size();
  double* re = re_.data();
  double* im = im_.data();
  const double* c = step_re_.data();
  const double* s = step_im_.data();
  const double* w = omega_.data();
  Pair height0 = {}, height1 = {};
  Pair slope0 = {}, slope1 = {};
  // One pair of terms at j: rotated in place, added to the two sums.
  const auto rotate = [&](std::size_t j, Pair& height, Pair& slope) {
    const Pair r = load(re + j);
    const Pair m = load(im + j);
    const Pair cj = load(c + j);
    const Pair sj = load(s + j);
    const Pair rotated_re = r * cj - m * sj;
    const Pair rotated_im = r * sj + m * cj;
    store(re + j, rotated_re);
    store(im + j, rotated_im);
    height += rotated_re;
    slope += load(w + j) * rotated_im;
  };
  for (std::size_t i = 0; i < n; i += kLanes) {
    rotate(i, height0, slope0);
    rotate(i + 2, height1, slope1);
  }
  cursor_ = t;
  const Pair h = height0 + height1;
  const Pair d = slope0 + slope1;
  cursor_height_ = mean_level_ + (h[0] + h[1]);
  const std::size_t slot = ring_slot(cursor_);
  slope_time_[slot] = cursor_;
  slope_[slot] = -(d[0] + d[1]);
  return cursor_height_;
}

// A grid instant's place in the ring: its index from start − 300, modulo
// the ring's size.
std::size_t Curve::ring_slot(std::int64_t t) const {
  return static_cast<std::size_t>((t - start_ + kStep) / kStep) % kRing;
}

double Curve::slope(std::int64_t t) const {
  const std::size_t slot = ring_slot(t);
  if (slope_time_[slot] == t) return slope_[slot];
  return derivatives(static_cast<double>(t - start_)).first;
}

Curve::Derivatives Curve::derivatives(double dt) const {
  Derivatives d{mean_level_, 0.0, 0.0, 0.0};
  for (const Term& term : terms_) {
    const double angle = term.phase + term.omega * dt;
    const double c = term.scale * std::cos(angle);
    const double s = term.scale * std::sin(angle);
    const double w2 = term.omega * term.omega;
    d.height += c;
    d.first -= term.omega * s;
    d.second -= w2 * c;
    d.third += w2 * term.omega * s;
  }
  return d;
}

// Works on offsets from start (exact in a double). The grid slopes at
// u − 300, u and u + 300 pick the half where the slope changes sign, and the
// cubic through that half's heights and slopes gives the first guess, most
// often within a tenth of a second. Newton steps on H′ follow, each kept
// inside the bracket (a bisection otherwise), until a step is under a
// quarter of a second; the height at the rounded instant comes from the last
// point's Taylor series, whose error under a second away is far below a
// micrometre.
HeightSample Curve::turning_point(std::int64_t u, double before, double at, double after) const {
  // sign·H′ is positive before the turning point and negative after it.
  const double sign = at > before ? 1.0 : -1.0;
  const double mid = static_cast<double>(u - start_);
  const double step = static_cast<double>(kStep);
  double a = mid - step;
  double b = mid + step;
  double guess = mid;
  const double slope_u = slope(u);
  if (const double slope_hi = slope(u + kStep); sign * slope_u > 0.0 && sign * slope_hi < 0.0) {
    a = mid;
    guess = mid + step * cubic_turning_point(at, after, slope_u * step, slope_hi * step);
  } else if (const double slope_lo = slope(u - kStep);
             sign * slope_u <= 0.0 && sign * slope_lo > 0.0) {
    b = mid;
    guess = a + step * cubic_turning_point(before, at, slope_lo * step, slope_u * step);
  } else {
    // Slopes at odds with the heights (a double crest inside the step):
    // the vertex of the parabola through the three heights.
    const double curvature = before - 2.0 * at + after;
    if (curvature != 0.0) guess = mid + 0.5 * step * (before - after) / curvature;
  }
  double t = guess;
  Derivatives d = derivatives(t);
  double next = t;
  for (int i = 0; i < 40; ++i) {
    (sign * d.first > 0.0 ? a : b) = t;
    next = t - d.first / d.second;
    const bool curved = sign * d.second < 0.0;
    if (!curved || !(next > a && next < b)) next = 0.5 * (a + b);
    if (std::abs(next - t) < 0.25 || b - a < 0.5) break;
    t = next;
    d = derivatives(t);
  }
  const double rounded = std::round(next);
  const double x = rounded - t;
  const double height = d.height + x * (d.first + x * (d.second / 2.0 + x * d.third / 6.0));
  return {start_ + static_cast<std::int64_t>(rounded), height};
}

}  // namespace nerith::full::curve
