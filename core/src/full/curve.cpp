#include "full/curve.hpp"

#include <cmath>
#include <limits>
#include <numbers>
#include <numeric>

#include "harmonic/extremes.hpp"

namespace nerith::full::curve {
namespace {

constexpr double kRadian = std::numbers::pi / 180.0;
constexpr std::int64_t kStep = harmonic::extremes::SCAN_STEP;
constexpr std::size_t kLanes = 4;

}  // namespace

std::vector<Term> prepare(const Station& station, const catalogue::Rows& rows, std::int64_t t_ref,
                          std::int64_t node_time, Species species) {
  const auto arguments = astronomy::Arguments::at(t_ref);
  const auto node = astronomy::NodeTerms::from(astronomy::Arguments::at(node_time));
  std::vector<Term> terms;
  terms.reserve(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const constituents::Constituent& row = *rows[i];
    if (species == Species::SemiDiurnal && row.species() != 2) continue;
    const ports::HarmonicConstituent& c = station.constituents[i];
    const auto [f, u] = constituents::node_factor(row, node);
    const double degrees = constituents::equilibrium_argument(row, arguments) + u - c.phase_lag;
    terms.push_back({f * c.amplitude, std::remainder(degrees, 360.0) * kRadian,
                     constituents::speed(row) * kRadian / 3600.0});
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

Curve::Curve(const Station& station, const catalogue::Rows& rows, std::int64_t start,
             std::int64_t end, Species species)
    : start_(start),
      end_(end),
      mean_level_(species == Species::All ? station.mean_level : 0.0),
      terms_(prepare(station, rows, start, std::midpoint(start, end), species)) {
  // Padded to whole blocks of kLanes with terms of no amplitude.
  const std::size_t n = (terms_.size() + kLanes - 1) / kLanes * kLanes;
  re_.assign(n, 0.0);
  im_.assign(n, 0.0);
  step_re_.assign(n, 1.0);
  step_im_.assign(n, 0.0);
  omega_.assign(n, 0.0);
  for (std::size_t i = 0; i < terms_.size(); ++i) {
    const double turn = terms_[i].omega * static_cast<double>(kStep);
    step_re_[i] = std::cos(turn);
    step_im_[i] = std::sin(turn);
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
  const auto slot = static_cast<std::size_t>((cursor_ - start_ + kStep) / kStep) % kRing;
  slope_time_[slot] = cursor_;
  slope_[slot] = -sum;
}

double Curve::height(std::int64_t t) const {
  if (t == cursor_) return cursor_height_;
  if (t != cursor_ + kStep) return direct(t);
  // (re + i·im)·(c + i·s), term by term; the scan walks 300 s at a time. The
  // height and the slope are summed in kLanes interleaved partial sums, so
  // that the additions need not wait on one another.
  const std::size_t n = re_.size();
  double* re = re_.data();
  double* im = im_.data();
  const double* c = step_re_.data();
  const double* s = step_im_.data();
  const double* w = omega_.data();
  std::array<double, kLanes> height{};
  std::array<double, kLanes> slope{};
  for (std::size_t i = 0; i < n; i += kLanes) {
    for (std::size_t k = 0; k < kLanes; ++k) {
      const double r = re[i + k] * c[i + k] - im[i + k] * s[i + k];
      const double m = re[i + k] * s[i + k] + im[i + k] * c[i + k];
      re[i + k] = r;
      im[i + k] = m;
      height[k] += r;
      slope[k] += w[i + k] * m;
    }
  }
  cursor_ = t;
  cursor_height_ = mean_level_ + ((height[0] + height[1]) + (height[2] + height[3]));
  const auto slot = static_cast<std::size_t>((cursor_ - start_ + kStep) / kStep) % kRing;
  slope_time_[slot] = cursor_;
  slope_[slot] = -((slope[0] + slope[1]) + (slope[2] + slope[3]));
  return cursor_height_;
}

double Curve::slope(std::int64_t t) const {
  const auto slot = static_cast<std::size_t>((t - start_ + kStep) / kStep) % kRing;
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
// zero of the slope drawn straight across that half is the first guess.
// Newton steps on H′ follow, each kept inside the bracket (a bisection
// otherwise), until a step is under a quarter of a second; the height at the
// rounded instant comes from the last point's Taylor series, whose error at
// under a second away is far below a micrometre.
harmonic::engine::HeightSample Curve::turning_point(std::int64_t u, double before, double at,
                                                    double after) const {
  // sign·H′ is positive before the turning point and negative after it.
  const double sign = at > before ? 1.0 : -1.0;
  const double mid = static_cast<double>(u - start_);
  const double step = static_cast<double>(kStep);
  double a = mid - step;
  double b = mid + step;
  double guess = mid;
  const double at_u = sign * slope(u);
  const double at_lo = sign * slope(u - kStep);
  const double at_hi = sign * slope(u + kStep);
  if (at_u > 0.0 && at_hi < 0.0) {
    a = mid;
    guess = mid + step * at_u / (at_u - at_hi);
  } else if (at_u <= 0.0 && at_lo > 0.0) {
    b = mid;
    guess = mid + step * at_u / (at_lo - at_u);
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
