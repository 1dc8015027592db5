// The full model's constituent table: one row per constituent with its
// extended Doodson numbers, phase offset and nodal rule. The table is a
// constant expression, so that the compiled station catalogue names its rows
// and a name outside the table fails the build.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace nerith::full::constituents {

// The nodal formulas of the basic constituents (Schureman SP-98 equation
// numbers in constituents.cpp). Compound rows take theirs from their parts.
enum class NodalRule {
  Solar,
  Mm,
  Mf,
  O1,
  J1,
  OO1,
  M1,
  M2,
  K1,
  K2,
  L2,
  ThreeN2,
  ThreeL2,
  M3,
  Compound
};

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

// One convention for every row. The phase lags of the data are Greenwich
// lags against V = Σ doodson·(τ, s, h, p, N′, p′) + offset, with τ = T + h − s
// and T the hour angle of the mean sun (180° at 0 h UT). The offset is the
// sign of the constituent's term in the expansion of the tide-generating
// potential, with Doodson's geodetic coefficients (for the long-period
// species, positive at the equator): 0 for a positive cosine, 180 for a
// negative one, ∓90 for a positive or negative sine (degree plus order odd).
// This gives Schureman's V (SP-98, Table 2, the arguments written in T)
// wherever he lists the constituent. The arguments of TICON-4's processing
// (Piccioni et al. 2019: a least-squares analysis of each record) are not at
// hand beyond the speeds its manual lists, so each row says where it comes
// from and whether the data's own phases settle it. The expansions quoted are
// in the inclination I of the lunar orbit to the equator, with the Moon's
// longitude s − ξ in its orbit from the intersection; a test
// (LunarRowsMatchTheExpandedPotential) checks them numerically.
//
// Evidence from the data's phases: circular means of phase-lag differences
// over the gauges where both amplitudes pass 1 mm, with the resultant R. A
// wrong 180° or p′ in a row shows as a mean that far from what the physics
// gives.
inline constexpr std::array<Constituent, 50> TABLE = [] {
  using detail::basic;
  using detail::compound;
  using R = NodalRule;
  return std::array<Constituent, 50>{{
      // Long period: Schureman's V, offset 0. Degree 2, order 0, from
      // (c/r)³·(1 − 3 sin²δ): Mf ∝ sin²I·cos 2(s − ξ).
      basic("SA", {0, 0, 1, 0, 0, 0}, 0, R::Solar),
      basic("SSA", {0, 0, 2, 0, 0, 0}, 0, R::Solar),
      basic("MM", {0, 1, 0, -1, 0, 0}, 0, R::Mm),
      compound("MSF", {0, 2, -2, 0, 0, 0}, 0, {{{"S2", 1}, {"M2", -1}}}),
      basic("MF", {0, 2, 0, 0, 0, 0}, 0, R::Mf),
      // Mtm = Mf times the parallax term 3e·cos(s − p): the same sign as Mf,
      // so offset 0, and Mf's sin²I and u = −2ξ. The data agree: g(MTM) −
      // g(MF) = +15° (R 0.61, 72 gauges of 10 years or more); a 180° would
      // show as −165°.
      basic("MTM", {0, 3, 0, -1, 0, 0}, 0, R::Mf),
      // Msqm = Mf times the variation of the Moon's longitude and distance,
      // 0.0115·sin 2(s − h) and 0.0082·cos 2(s − h): both terms at 4s − 2h
      // keep Mf's sign, so offset 0, Mf's rule. Not settled by the data:
      // g(MSQM) − g(MF) has no preferred value (R 0.08); it is under a
      // millimetre nearly everywhere.
      basic("MSQM", {0, 4, -2, 0, 0, 0}, 0, R::Mf),
      // Diurnal: Schureman's V. Degree 2, order 1, from sin δ·cos δ·cos H:
      // O1 = −sin I·cos²(I/2)·sin(τ − s + 2ξ − ν), hence +90.
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
      // Semi-diurnal: Schureman's V (EP2, MU2's neighbour, as the IHO list).
      // 3N2 and 3L2 are the third-degree lines beside N2 and L2 (degree 3,
      // order 2): cos²δ·sin δ·cos 2H, with sin δ = sin I·sin(s − ξ), gives
      //   3L2: +sin I·cos²(I/2)·(cos²(I/2) − 2 sin²(I/2))·sin(2τ + s + ξ − 2ν)
      //   3N2: −sin I·cos⁴(I/2)·sin(2τ − s + 3ξ − 2ν)
      // so 3L2 −90 and 3N2 +90 (opposite signs), each with the nodal rule of
      // its own coefficient. The data settle the relative sign: g(3L2) −
      // g(3N2) lies within ±40° of g(L2) − g(N2) (+22°) over every subset of
      // gauges (R 0.4–0.5, 33–70 gauges), where equal signs would put it
      // 180° away. That 3N2 is this line and not MKS2's: its amplitude grows
      // to 0.14 m at the 1.2-year records, as an unresolved partner of N2's
      // does, while MKS2 grows in the estuaries, as a compound does.
      basic("3N2", {2, -1, 0, 0, 0, 0}, 90, R::ThreeN2),
      basic("EP2", {2, -3, 2, 1, 0, 0}, 0, R::M2),
      basic("2N2", {2, -2, 0, 2, 0, 0}, 0, R::M2),
      basic("MU2", {2, -2, 2, 0, 0, 0}, 0, R::M2),
      basic("N2", {2, -1, 0, 1, 0, 0}, 0, R::M2),
      basic("NU2", {2, -1, 2, -1, 0, 0}, 0, R::M2),
      // MA2 and MB2: M2 ∓ h, the annual sidebands of M2, offset 0 and M2's
      // rule. Their size (27 mm at Dunkerque, 150 mm up the Loire) is the
      // seasonal change of M2, not the potential's tiny lines at M2 ∓ (h − p′)
      // (from the annual equation, 0.19° in the Moon's longitude), so no p′.
      // Not settled by the data: g(MA2) + g(MB2) − 2g(M2) = −87° (R 0.34)
      // fits amplitude and phase modulation mixed, with either offset.
      basic("MA2", {2, 0, -1, 0, 0, 0}, 0, R::M2),
      basic("M2", {2, 0, 0, 0, 0, 0}, 0, R::M2),
      basic("MB2", {2, 0, 1, 0, 0, 0}, 0, R::M2),
      compound("MKS2", {2, 0, 2, 0, 0, 0}, 0, {{{"M2", 1}, {"K2", 1}, {"S2", -1}}}),
      basic("LAMBDA2", {2, 1, -2, 1, 0, 0}, 180, R::M2),
      basic("L2", {2, 1, 0, -1, 0, 0}, 180, R::L2),
      basic("3L2", {2, 1, 0, 0, 0, 0}, -90, R::ThreeL2),
      basic("T2", {2, 2, -3, 0, 0, 1}, 0, R::Solar),
      basic("S2", {2, 2, -2, 0, 0, 0}, 0, R::Solar),
      basic("R2", {2, 2, -1, 0, 0, -1}, 180, R::Solar),
      basic("K2", {2, 2, 0, 0, 0, 0}, 0, R::K2),
      compound("2SM2", {2, 4, -4, 0, 0, 0}, 0, {{{"S2", 2}, {"M2", -1}}}),
      // M3: degree 3, order 3. P3(cos z) holds +(5/8)·cos³δ·cos 3H, a
      // positive cosine: 3τ + 3ξ − 3ν with cos⁶(I/2), offset 0, Schureman's
      // 3T − 3s + 3h (eq. 149). The published high waters settle it: with
      // 180° their errors are median 3.6, mean 6.6, max 24.8 min; with 0°,
      // 3.3, 5.1 and 14.5 (FullAccuracy.PublishedHighWaterTimes).
      basic("M3", {3, 0, 0, 0, 0, 0}, 0, R::M3),
      // T3, S3 and R3: solar terdiurnal lines the potential barely has; at
      // the coast, shallow water and the seasons make them (S2 + P1, S2 + S1
      // and S2 + K1 fall on the same speeds). S3 = 3T, offset 0. T3 and R3
      // take +p′, as the TICON-4 manual gives their speeds (44.9589333 and
      // 45.0410706°/h): 3τ + 3s − 4h + p′ and 3τ + 3s − 2h + p′; all three
      // solar (f = 1, u = 0). The data's phases do not decide between this R3
      // and S3 + (h − p′), the image of R2, whose V is 2p′ (≈ 206°) less:
      // g(R3) − g(T3) = −169° (R 0.93, 79 gauges) is what S2 + K1 against
      // S2 + P1 gives in the manual's arguments (g(K1) − g(P1) = +8°, plus
      // 180°), and equally what R2 against T2 gives in the image's (+16°,
      // less 180°). The published high waters move by 0.1–1.3 min either way
      // (mean 5.1 min against 4.9). Nor do they decide a common offset of T3
      // and R3, or S3's.
      basic("T3", {3, 3, -4, 0, 0, 1}, 0, R::Solar),
      basic("S3", {3, 3, -3, 0, 0, 0}, 0, R::Solar),
      basic("R3", {3, 3, -2, 0, 0, 1}, 0, R::Solar),
      // Shallow water: sums of their parts (offsets too).
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

// Not constexpr: reaching it while a table is built at compile time stops
// the build (without a throw, so that this compiles without exceptions too).
inline void no_such_constituent_in_the_table() {}

// The row's index, for tables built at compile time: a name outside the
// table is not a constant expression, so it stops the build.
consteval std::size_t row(std::string_view name) {
  const std::size_t i = index_of(name);
  if (i == TABLE.size()) no_such_constituent_in_the_table();
  return i;
}

}  // namespace nerith::full::constituents
