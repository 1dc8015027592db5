// One row per constituent: its V0 from the Doodson multiples is the same
// double as the formula written out.
#include "builtin/harmonic/constituents.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string_view>

namespace {

using nerith::astronomical::nodal::AstronomicalArguments;
using nerith::astronomical::nodal::normalize_degrees;
using nerith::harmonic::constituents::CONSTITUENTS;

using Formula = std::function<double(const AstronomicalArguments&, double)>;

TEST(ConstituentTable, DoodsonMultiplesGiveTheWrittenFormulas) {
  // V0 of each constituent written out; τ = (gmst − s) + 180, reduced.
  const std::map<std::string_view, Formula> written = {
      {"M2", [](auto&, double t) { return 2.0 * t; }},
      {"S2", [](auto& a, double t) { return 2.0 * t + 2.0 * a.s - 2.0 * a.h; }},
      {"N2", [](auto& a, double t) { return 2.0 * t - a.s + a.p; }},
      {"K2", [](auto& a, double t) { return 2.0 * t + 2.0 * a.s; }},
      {"K1", [](auto& a, double t) { return t + a.s; }},
      {"O1", [](auto& a, double t) { return t - a.s; }},
      {"P1", [](auto& a, double t) { return t + a.s - 2.0 * a.h; }},
      {"Q1", [](auto& a, double t) { return t - 2.0 * a.s + a.p; }},
      {"M4", [](auto&, double t) { return 4.0 * t; }},
      {"MS4", [](auto& a, double t) { return 4.0 * t + 2.0 * a.s - 2.0 * a.h; }},
      {"MN4", [](auto& a, double t) { return 4.0 * t - a.s + a.p; }},
      {"M6", [](auto&, double t) { return 6.0 * t; }},
      {"2MS6", [](auto& a, double t) { return 6.0 * t + 2.0 * a.s - 2.0 * a.h; }},
  };
  ASSERT_EQ(written.size(), CONSTITUENTS.size());
  for (std::int64_t t = -4102444800; t <= 4102444800; t += 7776037) {
    const AstronomicalArguments a = AstronomicalArguments::at(t);
    const double tau = normalize_degrees((a.gmst - a.s) + 180.0);
    for (const auto& def : CONSTITUENTS) {
      EXPECT_EQ(def.equilibrium_argument(a), normalize_degrees(written.at(def.name)(a, tau)))
          << def.name << " at " << t;
    }
  }
}

}  // namespace
