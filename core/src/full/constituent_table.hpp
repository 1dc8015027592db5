// The full model's constituent table: one row per constituent with its
// extended Doodson numbers, phase offset and nodal rule. The table is a
// constant expression, so that the compiled station catalogue names its rows
// and a name outside the table fails the build.
#pragma once

#include <array>
#include <cstddef>
#include <stdexcept>
#include <string_view>

namespace nerith::full::constituents {

// The nodal formulas of the basic constituents (Schureman SP-98 equation
// numbers in constituents.cpp). Compound rows take theirs from their parts.
enum class NodalRule { Solar, Mm, Mf, O1, J1, OO1, M1, M2, K1, K2, L2, M3, Compound };

// One part of a compound constituent: another row of the table, times a
// whole number (negative for a difference).
struct Part {
  std::string_view name;
  int times = 0;
};

struct Constituent {
  std::string_view name;
  // Multipliers of τ, s, h, p, N′ = −N and p′.
  std::array<int, 6> doodson;
  int offset;  // degrees: 0, ±90 or 180
  NodalRule rule;
  std::array<Part, 3> parts;  // compound rows only; unused entries have times 0

  // Cycles per lunar day: 0 long period, 1 diurnal, 2 semi-diurnal, ...
  constexpr int species() const { return doodson[0]; }
};

namespace detail {

constexpr Constituent basic(std::string_view name, std::array<int, 6> doodson, int offset,
                            NodalRule rule) {
  return {name, doodson, offset, rule, {}};
}

constexpr Constituent compound(std::string_view name, std::array<int, 6> doodson, int offset,
                               std::array<Part, 3> parts) {
  return {name, doodson, offset, NodalRule::Compound, parts};
}

}  // namespace detail

// Doodson numbers on (τ, s, h, p, N′, p′) and offsets in the convention of
// Foreman's IOS manual (Pacific Marine Science Report 77-10) and the IHO
// constituent list; written in T they are Schureman's V (SP-98, Table 2)
// wherever he lists the constituent. Rules name the formula of
// basic_factor; compound rows list their parts.
inline constexpr std::array<Constituent, 50> TABLE = [] {
  using detail::basic;
  using detail::compound;
  using R = NodalRule;
  return std::array<Constituent, 50>{{
      // Long period.
      basic("SA", {0, 0, 1, 0, 0, 0}, 0, R::Solar),
      basic("SSA", {0, 0, 2, 0, 0, 0}, 0, R::Solar),
      basic("MM", {0, 1, 0, -1, 0, 0}, 0, R::Mm),
      compound("MSF", {0, 2, -2, 0, 0, 0}, 0, {{{"S2", 1}, {"M2", -1}}}),
      basic("MF", {0, 2, 0, 0, 0, 0}, 0, R::Mf),
      // Mtm and Msqm belong to Mf's family of the potential: Mf's rule.
      basic("MTM", {0, 3, 0, -1, 0, 0}, 0, R::Mf),
      basic("MSQM", {0, 4, -2, 0, 0, 0}, 0, R::Mf),
      // Diurnal.
      basic("2Q1", {1, -3, 0, 2, 0, 0}, 90, R::O1),
      basic("SGM", {1, -3, 2, 0, 0, 0}, 90, R::O1),
      basic("Q1", {1, -2, 0, 1, 0, 0}, 90, R::O1),
      basic("RHO1", {1, -2, 2, -1, 0, 0}, 90, R::O1),
      basic("O1", {1, -1, 0, 0, 0, 0}, 90, R::O1),
      basic("M1", {1, 0, 0, 1, 0, 0}, -90, R::M1),
      basic("P1", {1, 1, -2, 0, 0, 0}, 90, R::Solar),
      basic("S1", {1, 1, -1, 0, 0, 0}, 0, R::Solar),
      basic("K1", {1, 1, 0, 0, 0, 0}, -90, R::K1),
      basic("J1", {1, 2, 0, -1, 0, 0}, -90, R::J1),
      basic("OO1", {1, 3, 0, 0, 0, 0}, -90, R::OO1),
      // Semi-diurnal. 3N2 and 3L2 are the third-degree lines beside N2 and L2
      // (odd degree plus order: a sine term); they take M2's rule.
      basic("3N2", {2, -1, 0, 0, 0, 0}, -90, R::M2),
      basic("EP2", {2, -3, 2, 1, 0, 0}, 0, R::M2),
      basic("2N2", {2, -2, 0, 2, 0, 0}, 0, R::M2),
      basic("MU2", {2, -2, 2, 0, 0, 0}, 0, R::M2),
      basic("N2", {2, -1, 0, 1, 0, 0}, 0, R::M2),
      basic("NU2", {2, -1, 2, -1, 0, 0}, 0, R::M2),
      // MA2 and MB2: M2's annual sidebands.
      basic("MA2", {2, 0, -1, 0, 0, 0}, 0, R::M2),
      basic("M2", {2, 0, 0, 0, 0, 0}, 0, R::M2),
      basic("MB2", {2, 0, 1, 0, 0, 0}, 0, R::M2),
      compound("MKS2", {2, 0, 2, 0, 0, 0}, 0, {{{"M2", 1}, {"K2", 1}, {"S2", -1}}}),
      basic("LAMBDA2", {2, 1, -2, 1, 0, 0}, 180, R::M2),
      basic("L2", {2, 1, 0, -1, 0, 0}, 180, R::L2),
      basic("3L2", {2, 1, 0, 0, 0, 0}, -90, R::M2),
      basic("T2", {2, 2, -3, 0, 0, 1}, 0, R::Solar),
      basic("S2", {2, 2, -2, 0, 0, 0}, 0, R::Solar),
      basic("R2", {2, 2, -1, 0, 0, -1}, 180, R::Solar),
      basic("K2", {2, 2, 0, 0, 0, 0}, 0, R::K2),
      compound("2SM2", {2, 4, -4, 0, 0, 0}, 0, {{{"S2", 2}, {"M2", -1}}}),
      // Terdiurnal. T3 and R3 are S3's sidebands at ∓(h − p′).
      basic("M3", {3, 0, 0, 0, 0, 0}, 180, R::M3),
      basic("T3", {3, 3, -4, 0, 0, 1}, 0, R::Solar),
      basic("S3", {3, 3, -3, 0, 0, 0}, 0, R::Solar),
      basic("R3", {3, 3, -2, 0, 0, -1}, 0, R::Solar),
      // Shallow water: sums of their parts.
      compound("N4", {4, -2, 0, 2, 0, 0}, 0, {{{"N2", 2}}}),
      compound("MN4", {4, -1, 0, 1, 0, 0}, 0, {{{"M2", 1}, {"N2", 1}}}),
      compound("M4", {4, 0, 0, 0, 0, 0}, 0, {{{"M2", 2}}}),
      compound("MS4", {4, 2, -2, 0, 0, 0}, 0, {{{"M2", 1}, {"S2", 1}}}),
      compound("S4", {4, 4, -4, 0, 0, 0}, 0, {{{"S2", 2}}}),
      compound("2MO5", {5, -1, 0, 0, 0, 0}, 90, {{{"M2", 2}, {"O1", 1}}}),
      compound("2MK5", {5, 1, 0, 0, 0, 0}, -90, {{{"M2", 2}, {"K1", 1}}}),
      compound("M6", {6, 0, 0, 0, 0, 0}, 0, {{{"M2", 3}}}),
      compound("2MS6", {6, 2, -2, 0, 0, 0}, 0, {{{"M2", 2}, {"S2", 1}}}),
      compound("M8", {8, 0, 0, 0, 0, 0}, 0, {{{"M2", 4}}}),
  }};
}();

// The index in TABLE of the row with exactly this name, or TABLE.size().
constexpr std::size_t index_of(std::string_view name) {
  std::size_t i = 0;
  while (i < TABLE.size() && TABLE[i].name != name) ++i;
  return i;
}

// The row with exactly this name, or nullptr.
constexpr const Constituent* find(std::string_view name) {
  const std::size_t i = index_of(name);
  return i < TABLE.size() ? &TABLE[i] : nullptr;
}

// The row's index, for tables built at compile time: a name outside the
// table is not a constant expression, so it stops the build.
consteval std::size_t row(std::string_view name) {
  const std::size_t i = index_of(name);
  if (i == TABLE.size()) throw std::logic_error("no such constituent in the table");
  return i;
}

}  // namespace nerith::full::constituents
