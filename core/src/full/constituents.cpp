#include "full/constituents.hpp"

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <tuple>

namespace nerith::full::constituents {
namespace {

using astronomy::NodeTerms;
using R = NodalRule;

constexpr double kDegree = std::numbers::pi / 180.0;

double sin_d(double x) {
  return std::sin(x * kDegree);
}
double cos_d(double x) {
  return std::cos(x * kDegree);
}
double tan_d(double x) {
  return std::tan(x * kDegree);
}

}  // namespace

double speed(const Constituent& c) {
  const auto& r = astronomy::RATES;
  const auto& d = c.doodson;
  return d[0] * r.tau + d[1] * r.s + d[2] * r.h + d[3] * r.p + d[4] * r.n_prime + d[5] * r.p1;
}

double equilibrium_argument(const Constituent& c, const astronomy::Arguments& a) {
  const auto& d = c.doodson;
  const double v =
      d[0] * a.tau + d[1] * a.s + d[2] * a.h + d[3] * a.p - d[4] * a.n + d[5] * a.p1 + c.offset;
  const double r = std::fmod(v, 360.0);
  return r < 0.0 ? r + 360.0 : r;
}

namespace {

// The basic formulas of Schureman SP-98, equation numbers as his; the
// denominators are his mean values, so that f averages 1 over a node cycle.
NodeFactor basic_factor(NodalRule rule, const NodeTerms& k) {
  const double half_i = k.i / 2.0;
  const double sin_i = sin_d(k.i);
  const double cos_half = cos_d(half_i);
  switch (rule) {
    case R::Solar:
    case R::Compound:
      return {};
    case R::Mm:  // eq. 73
      return {(2.0 / 3.0 - sin_i * sin_i) / 0.5021, 0.0};
    case R::Mf:  // eq. 74
      return {sin_i * sin_i / 0.1578, -2.0 * k.xi};
    case R::O1:  // eq. 75
      return {sin_i * cos_half * cos_half / 0.3800, 2.0 * k.xi - k.nu};
    case R::J1:  // eq. 76
      return {sin_d(2.0 * k.i) / 0.7214, -k.nu};
    case R::OO1: {  // eq. 77
      const double sin_half = sin_d(half_i);
      return {sin_i * sin_half * sin_half / 0.0164, -2.0 * k.xi - k.nu};
    }
    case R::M2: {  // eq. 78
      const double c2 = cos_half * cos_half;
      return {c2 * c2 / 0.9154, 2.0 * k.xi - 2.0 * k.nu};
    }
    case R::ThreeN2: {  // sin I·cos⁴(I/2), its mean 0.3662 over the node cycle
      const double c2 = cos_half * cos_half;
      return {sin_i * c2 * c2 / 0.3662, 3.0 * k.xi - 2.0 * k.nu};
    }
    case R::ThreeL2: {  // sin I·cos²(I/2)·(cos²(I/2) − 2 sin²(I/2)), mean 0.3319
      const double c2 = cos_half * cos_half;
      return {sin_i * c2 * (c2 - 2.0 * (1.0 - c2)) / 0.3319, k.xi - 2.0 * k.nu};
    }
    case R::M3: {  // eq. 149
      const double c2 = cos_half * cos_half;
      return {c2 * c2 * c2 / 0.8758, 3.0 * k.xi - 3.0 * k.nu};
    }
    case R::K1: {  // eq. 227, u = −ν′
      const double s2i = sin_d(2.0 * k.i);
      return {std::sqrt(0.8965 * s2i * s2i + 0.6001 * s2i * cos_d(k.nu) + 0.1006), -k.nu_prime};
    }
    case R::K2: {  // eq. 235, u = −2ν″
      const double s2 = sin_i * sin_i;
      return {std::sqrt(19.0444 * s2 * s2 + 2.7702 * s2 * cos_d(2.0 * k.nu) + 0.0981),
              -k.two_nu_second};
    }
    case R::L2: {  // eqs. 213–215: f = f(M2)/Ra, u = 2ξ − 2ν − R
      const NodeFactor m2 = basic_factor(R::M2, k);
      const double t2 = tan_d(half_i) * tan_d(half_i);
      const double cos_2p = cos_d(2.0 * k.big_p);
      const double inverse_ra = std::sqrt(1.0 - 12.0 * t2 * cos_2p + 36.0 * t2 * t2);
      const double r = std::atan2(sin_d(2.0 * k.big_p), 1.0 / (6.0 * t2) - cos_2p) / kDegree;
      return {m2.f * inverse_ra, m2.u - r};
    }
    case R::M1: {  // eqs. 195–207: f = f(O1)/Qa, u = ξ − ν + Q
      const NodeFactor o1 = basic_factor(R::O1, k);
      const double cos_i = cos_d(k.i);
      const double c2 = cos_half * cos_half;
      const double inverse_qa = std::sqrt(0.25 + 1.5 * cos_i * cos_d(2.0 * k.big_p) / c2 +
                                          2.25 * cos_i * cos_i / (c2 * c2));
      const double q =
          std::atan2((5.0 * cos_i - 1.0) * sin_d(k.big_p), (7.0 * cos_i + 1.0) * cos_d(k.big_p)) /
          kDegree;
      return {o1.f * inverse_qa, k.xi - k.nu + q};
    }
  }
  return {};
}

}  // namespace

NodeFactors::NodeFactors(const NodeTerms& k) {
  for (std::size_t r = 0; r < basic_.size(); ++r) basic_[r] = basic_factor(static_cast<R>(r), k);
}

namespace {

// A compound's parts as the basic rules they stand for (every part is a
// basic row), resolved from the names once.
struct RulePart {
  NodalRule rule = R::Solar;
  int times = 0;
};
using RuleParts = std::array<RulePart, 3>;

const RuleParts& rule_parts(const Constituent& c) {
  static const auto table = [] {
    std::array<RuleParts, std::tuple_size_v<decltype(TABLE)>> parts{};
    for (std::size_t i = 0; i < TABLE.size(); ++i) {
      for (std::size_t j = 0; j < TABLE[i].parts.size(); ++j) {
        const Part& part = TABLE[i].parts[j];
        if (part.times != 0) parts[i][j] = {find(part.name)->rule, part.times};
      }
    }
    return parts;
  }();
  return table[static_cast<std::size_t>(&c - TABLE.data())];
}

double power(double x, int n) {
  double result = 1.0;
  for (int i = 0; i < n; ++i) result *= x;
  return result;
}

}  // namespace

// A compound's f is the product of its parts' f (each to the power of its
// multiplier's size), its u the sum of their u times the multiplier.
NodeFactor NodeFactors::of(const Constituent& c) const {
  if (c.rule != R::Compound) return basic_[static_cast<std::size_t>(c.rule)];
  NodeFactor total;
  for (const RulePart& part : rule_parts(c)) {
    if (part.times == 0) continue;
    const NodeFactor p = basic_[static_cast<std::size_t>(part.rule)];
    total.f *= power(p.f, std::abs(part.times));
    total.u += part.times * p.u;
  }
  return total;
}

NodeFactor node_factor(const Constituent& c, const NodeTerms& k) {
  return NodeFactors(k).of(c);
}

}  // namespace nerith::full::constituents
