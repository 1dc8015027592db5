#include "full/curve.hpp"

#include <cmath>
#include <numbers>
#include <numeric>

#include "harmonic/extremes.hpp"

namespace nerith::full::curve {
namespace {

constexpr double kRadian = std::numbers::pi / 180.0;
constexpr std::int64_t kStep = harmonic::extremes::SCAN_STEP;

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
  const std::size_t n = terms_.size();
  re_.resize(n);
  im_.resize(n);
  step_re_.resize(n);
  step_im_.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double turn = terms_[i].omega * static_cast<double>(kStep);
    step_re_[i] = std::cos(turn);
    step_im_[i] = std::sin(turn);
  }
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
}

double Curve::height(std::int64_t t) const {
  if (t == cursor_) return cursor_height_;
  if (t != cursor_ + kStep) return direct(t);
  // (re + i·im)·(c + i·s), term by term; the scan walks 300 s at a time.
  const std::size_t n = re_.size();
  double* re = re_.data();
  double* im = im_.data();
  const double* c = step_re_.data();
  const double* s = step_im_.data();
  for (std::size_t i = 0; i < n; ++i) {
    const double r = re[i] * c[i] - im[i] * s[i];
    im[i] = re[i] * s[i] + im[i] * c[i];
    re[i] = r;
  }
  double sum = 0.0;
  for (std::size_t i = 0; i < n; ++i) sum += re[i];
  cursor_ = t;
  cursor_height_ = mean_level_ + sum;
  return cursor_height_;
}

}  // namespace nerith::full::curve
