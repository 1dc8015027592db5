// Calibration corrections: strict reading of the document and the in-place
// arithmetic of apply().
#include "builtin/corrections.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

namespace {

using nerith::corrections::Adjustment;
using nerith::corrections::apply;
using nerith::corrections::Correction;
using nerith::corrections::CorrectionError;
using nerith::corrections::Corrections;
using nerith::corrections::parse;
using nerith::ports::HarmonicConstituent;
using nerith::ports::Port;
using Kind = CorrectionError::Kind;

// ---------------------------------------------------------------- reading

std::string document(const std::string& adjustment) {
  return R"({"schema_version": "1.0", "corrections": [
  {"port_id": "FR-A", "reason": "r", "applied_at": "2026-04-24", "source_campaign": "c",
   "adjustments": [)" +
         adjustment + "]}]}\n";
}

TEST(CorrectionsParse, Defaults) {
  const auto doc = parse(document(R"({"constituent": "M2"})"));
  ASSERT_TRUE(doc.has_value()) << doc.error();
  EXPECT_EQ(doc->schema_version, "1.0");
  ASSERT_EQ(doc->corrections.size(), 1u);
  const Correction& c = doc->corrections[0];
  EXPECT_EQ(c.port_id, "FR-A");
  EXPECT_EQ(c.reason, "r");
  EXPECT_EQ(c.applied_at, "2026-04-24");
  EXPECT_EQ(c.source_campaign, "c");
  ASSERT_EQ(c.adjustments.size(), 1u);
  EXPECT_EQ(c.adjustments[0].constituent, "M2");
  EXPECT_EQ(c.adjustments[0].phase_offset_deg, 0.0);
  EXPECT_EQ(c.adjustments[0].amplitude_ratio, 1.0);
}

TEST(CorrectionsParse, ValuesIntegersAndUnknownKeys) {
  const auto doc = parse(R"({"schema_version": "1.0", "x": [], "corrections": [
      {"port_id": "FR-A", "reason": "r", "applied_at": "a", "source_campaign": "c", "y": null,
       "adjustments": [{"constituent": "M2", "phase_offset_deg": -5, "amplitude_ratio": 1.5,
                        "z": {"z": 1}, "z": 2},
                       {"constituent": "S2", "phase_offset_deg": -9.38}]},
      {"port_id": "FR-B", "reason": "r", "applied_at": "a", "source_campaign": "c",
       "adjustments": []}]})");
  ASSERT_TRUE(doc.has_value()) << doc.error();
  ASSERT_EQ(doc->corrections.size(), 2u);
  const auto& adjustments = doc->corrections[0].adjustments;
  ASSERT_EQ(adjustments.size(), 2u);
  EXPECT_EQ(adjustments[0].phase_offset_deg, -5.0);
  EXPECT_EQ(adjustments[0].amplitude_ratio, 1.5);
  EXPECT_EQ(adjustments[1].constituent, "S2");
  EXPECT_EQ(adjustments[1].phase_offset_deg, -9.38);
  EXPECT_EQ(adjustments[1].amplitude_ratio, 1.0);
  EXPECT_TRUE(doc->corrections[1].adjustments.empty());

  const auto empty = parse(R"({"schema_version": "1.0", "corrections": []})");
  ASSERT_TRUE(empty.has_value()) << empty.error();
  EXPECT_TRUE(empty->corrections.empty());
}

struct Refused {
  std::string name;
  std::string text;
  std::string fault;  // the message starts with this
};
void PrintTo(const Refused& c, std::ostream* os) {
  *os << c.name;
}

class CorrectionsRefuses : public testing::TestWithParam<Refused> {};

TEST_P(CorrectionsRefuses, NamesTheFault) {
  const auto doc = parse(GetParam().text);
  ASSERT_FALSE(doc.has_value());
  EXPECT_TRUE(doc.error().starts_with(GetParam().fault)) << doc.error();
  EXPECT_NE(doc.error().find(" line "), std::string::npos) << doc.error();
}

INSTANTIATE_TEST_SUITE_P(
    Rules, CorrectionsRefuses,
    testing::Values(
        // Defaults hold only for absent keys: null is a type error.
        Refused{"PhaseOffsetNull", document(R"({"constituent": "M2", "phase_offset_deg": null})"),
                "invalid type: null, expected a number for field `phase_offset_deg`"},
        Refused{"AmplitudeRatioNull", document(R"({"constituent": "M2", "amplitude_ratio": null})"),
                "invalid type: null, expected a number for field `amplitude_ratio`"},
        Refused{"PhaseOffsetString", document(R"({"constituent": "M2", "phase_offset_deg": "-5"})"),
                "invalid type: string \"-5\", expected a number"},
        Refused{"ConstituentMissing", document(R"({"phase_offset_deg": 1})"),
                "missing field `constituent`"},
        Refused{"ConstituentRepeated", document(R"({"constituent": "M2", "constituent": "S2"})"),
                "duplicate field `constituent`"},
        Refused{"RatioRepeated",
                document(R"({"constituent": "M2", "amplitude_ratio": 1, "amplitude_ratio": 2})"),
                "duplicate field `amplitude_ratio`"},
        Refused{"PortIdMissing", R"({"schema_version": "1.0", "corrections": [
                  {"reason": "r", "applied_at": "a", "source_campaign": "c", "adjustments": []}]})",
                "missing field `port_id`"},
        Refused{"AdjustmentsMissing", R"({"schema_version": "1.0", "corrections": [
                  {"port_id": "A", "reason": "r", "applied_at": "a", "source_campaign": "c"}]})",
                "missing field `adjustments`"},
        Refused{"AdjustmentsNull", R"({"schema_version": "1.0", "corrections": [
                  {"port_id": "A", "reason": "r", "applied_at": "a", "source_campaign": "c",
                   "adjustments": null}]})",
                "invalid type: null, expected a sequence"},
        Refused{"AppliedAtNumber", R"({"schema_version": "1.0", "corrections": [
                  {"port_id": "A", "reason": "r", "applied_at": 20260424, "source_campaign": "c",
                   "adjustments": []}]})",
                "invalid type: integer `20260424`, expected a string"},
        Refused{"SchemaVersionMissing", R"({"corrections": []})", "missing field `schema_version`"},
        Refused{"SchemaVersionRepeated",
                R"({"schema_version": "1.0", "corrections": [], "schema_version": "1.0"})",
                "duplicate field `schema_version`"},
        Refused{"AdjustmentNotObject", document(R"("M2")"),
                "invalid type: string \"M2\", expected struct Adjustment"},
        Refused{"TrailingContent", document(R"({"constituent": "M2"})") + "]", "parse error"}),
    [](const auto& info) { return info.param.name; });

// ---------------------------------------------------------------- apply

Adjustment adjust(std::string constituent, double offset, double ratio = 1.0) {
  return {std::move(constituent), offset, ratio};
}

Correction entry(std::string port_id, std::vector<Adjustment> adjustments) {
  return {std::move(port_id), "reason", "2026-04-24", "campaign", std::move(adjustments)};
}

std::vector<Port> stations() {
  return {{"FR-A", "A", 47.5, -3.0, 3.0, true, {{"M2", 1.5, 116.18}, {"S2", 0.5, 140.2}}},
          {"FR-B", "B", 48.0, -4.0, 4.0, true, {{"M2", 2.0, 3.0}, {"K1", 0.1, 350.0}}},
          {"FR-PORT-NAVALO", "Port-Navalo", 47.5, -2.9, 3.0, true, {{"M2", 1.474, 116.18}}}};
}

// One M2 adjustment on a station whose M2 phase is `phase`: the phase that
// results, compared bit for bit (the sign of zero included).
struct PhaseCase {
  std::string name;
  double phase;
  double offset;
  double expected;
};
void PrintTo(const PhaseCase& c, std::ostream* os) {
  *os << c.name;
}

class PhaseArithmetic : public testing::TestWithParam<PhaseCase> {};

TEST_P(PhaseArithmetic, ReducesIntoZeroTo360) {
  const PhaseCase& c = GetParam();
  std::vector<Port> ports = {{"FR-A", "A", 0, 0, 0, true, {{"M2", 1.25, c.phase}}}};
  ASSERT_TRUE(apply(ports, {"1.0", {entry("FR-A", {adjust("M2", c.offset)})}}));
  const double phase = ports[0].constituents[0].phase_lag;
  EXPECT_EQ(phase, c.expected);
  EXPECT_EQ(std::signbit(phase), std::signbit(c.expected));
  EXPECT_EQ(ports[0].constituents[0].amplitude, 1.25);  // ratio 1 leaves it exact
}

INSTANTIATE_TEST_SUITE_P(
    Corrections, PhaseArithmetic,
    testing::Values(PhaseCase{"WrapsBelowZero", 3.0, -5.51, 357.49},
                    PhaseCase{"WrapsAbove360", 350.0, 15.0, 5.0},
                    // fmod(-360, 360) is a zero with the dividend's sign; not below zero.
                    PhaseCase{"NegativeZeroKept", 10.0, -370.0, -0.0},
                    // Within half an ulp of 360 below zero: the addition rounds to 360.
                    PhaseCase{"Exactly360", 0.0, -1e-15, 360.0},
                    PhaseCase{"Exactly360AtTheEdge", 0.0, -2.8e-14, 360.0},
                    PhaseCase{"JustBelow360", 0.0, -2.9e-14, 359.99999999999994},
                    // The phase is reduced even when the offset is 0.
                    PhaseCase{"ZeroOffsetReduces", 720.0, 0.0, 0.0},
                    PhaseCase{"ZeroOffsetNegative", -30.0, 0.0, 330.0},
                    PhaseCase{"ZeroOffsetInRange", 359.7, 0.0, 359.7},
                    PhaseCase{"SeveralTurnsUp", 100.0, 725.0, 105.0},
                    PhaseCase{"SeveralTurnsDown", 100.0, -1000.0, 180.0},
                    PhaseCase{"PortNavalo", 116.18, -9.38, 106.80000000000001},
                    PhaseCase{"Arcachon", 118.9, -5.51, 113.39}),
    [](const auto& info) { return info.param.name; });

TEST(CorrectionsApply, AmplitudeRatioAppliedAsGiven) {
  for (const double ratio : {2.0, 0.0, -1.0, 0.5}) {
    std::vector<Port> ports = stations();
    ASSERT_TRUE(apply(ports, {"1.0", {entry("FR-B", {adjust("K1", 0.0, ratio)})}}));
    EXPECT_EQ(ports[1].constituents[1].amplitude, 0.1 * ratio) << ratio;
    EXPECT_EQ(ports[1].constituents[1].phase_lag, 350.0);
  }
}

TEST(CorrectionsApply, OnlyTheNamedConstituentChanges) {
  std::vector<Port> ports = stations();
  ASSERT_TRUE(apply(ports, {"1.0", {entry("FR-A", {adjust("S2", -0.2, 2.0)})}}));
  std::vector<Port> expected = stations();
  expected[0].constituents[1] = {"S2", 1.0, 140.0};
  EXPECT_EQ(ports, expected);
}

TEST(CorrectionsApply, EmptyChangesNothing) {
  std::vector<Port> ports = stations();
  EXPECT_TRUE(apply(ports, {"1.0", {}}));
  EXPECT_TRUE(apply(ports, {"1.0", {entry("FR-A", {})}}));
  EXPECT_EQ(ports, stations());
}

TEST(CorrectionsApply, RepeatedConstituentAdjustedTwice) {
  std::vector<Port> ports = stations();
  ASSERT_TRUE(
      apply(ports, {"1.0", {entry("FR-B", {adjust("M2", -2.0, 2.0), adjust("M2", -2.0, 3.0)})}}));
  // 3 − 2 = 1, then 1 − 2 reduced to 359; the ratios multiply.
  EXPECT_EQ(ports[1].constituents[0], (HarmonicConstituent{"M2", 12.0, 359.0}));
}

TEST(CorrectionsApply, FirstMatchOnly) {
  std::vector<Port> ports = stations();
  ports.push_back(ports[0]);                          // a second FR-A
  ports[0].constituents.push_back({"M2", 9.0, 9.0});  // a second M2
  ASSERT_TRUE(apply(ports, {"1.0", {entry("FR-A", {adjust("M2", 10.0)})}}));
  EXPECT_EQ(ports[0].constituents[0].phase_lag, 126.18);
  EXPECT_EQ(ports[0].constituents[2].phase_lag, 9.0);
  EXPECT_EQ(ports[3], stations()[0]);
}

// The three errors: which one, its text, and what was applied before it.
struct ErrorCase {
  std::string name;
  std::vector<Correction> corrections;
  CorrectionError error;
  std::string text;
  double a_m2_phase_after;  // FR-A's M2, 116.18 when untouched
};
void PrintTo(const ErrorCase& c, std::ostream* os) {
  *os << c.name;
}

class CorrectionErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(CorrectionErrors, StopsWithTheError) {
  const ErrorCase& c = GetParam();
  std::vector<Port> ports = stations();
  const auto result = apply(ports, {"1.0", c.corrections});
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error(), c.error);
  EXPECT_EQ(result.error().message(), c.text);
  EXPECT_EQ(ports[0].constituents[0].phase_lag, c.a_m2_phase_after);
}

INSTANTIATE_TEST_SUITE_P(
    Corrections, CorrectionErrors,
    testing::Values(ErrorCase{"UnknownPort",
                              {entry("FR-NOWHERE", {adjust("M2", 1.0)})},
                              {Kind::UnknownPort, "FR-NOWHERE", ""},
                              "correction references unknown port 'FR-NOWHERE'",
                              116.18},
                    ErrorCase{"IdsMatchCaseSensitively",
                              {entry("fr-a", {adjust("M2", 1.0)})},
                              {Kind::UnknownPort, "fr-a", ""},
                              "correction references unknown port 'fr-a'",
                              116.18},
                    // An entry without adjustments must still name a station.
                    ErrorCase{"UnknownPortWithoutAdjustments",
                              {entry("FR-Z", {})},
                              {Kind::UnknownPort, "FR-Z", ""},
                              "correction references unknown port 'FR-Z'",
                              116.18},
                    ErrorCase{"UnknownConstituent",
                              {entry("FR-PORT-NAVALO", {adjust("2MS6", 1.0)})},
                              {Kind::UnknownConstituent, "FR-PORT-NAVALO", "2MS6"},
                              "port 'FR-PORT-NAVALO' has no constituent '2MS6'",
                              116.18},
                    ErrorCase{"ConstituentsMatchCaseSensitively",
                              {entry("FR-A", {adjust("m2", 1.0)})},
                              {Kind::UnknownConstituent, "FR-A", "m2"},
                              "port 'FR-A' has no constituent 'm2'",
                              116.18},
                    // Adjustments before the faulty one stay applied.
                    ErrorCase{"UnknownConstituentAfterOneApplied",
                              {entry("FR-A", {adjust("M2", -116.18), adjust("X9", 1.0)})},
                              {Kind::UnknownConstituent, "FR-A", "X9"},
                              "port 'FR-A' has no constituent 'X9'",
                              0.0},
                    ErrorCase{"DuplicateAfterFirstApplied",
                              {entry("FR-A", {adjust("M2", -116.18)}), entry("FR-B", {}),
                               entry("FR-A", {adjust("M2", 50.0)})},
                              {Kind::DuplicateEntry, "FR-A", ""},
                              "port 'FR-A' has more than one correction entry",
                              0.0},
                    // Empty entries count for the duplicate check too.
                    ErrorCase{"DuplicateEmptyEntries",
                              {entry("FR-B", {}), entry("FR-B", {})},
                              {Kind::DuplicateEntry, "FR-B", ""},
                              "port 'FR-B' has more than one correction entry",
                              116.18},
                    // The duplicate check comes before the lookup: the first of two
                    // entries for an unknown id already fails, as unknown.
                    ErrorCase{"UnknownBeforeDuplicate",
                              {entry("FR-Q", {}), entry("FR-Q", {})},
                              {Kind::UnknownPort, "FR-Q", ""},
                              "correction references unknown port 'FR-Q'",
                              116.18}),
    [](const auto& info) { return info.param.name; });

}  // namespace
