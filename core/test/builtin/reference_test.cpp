// Strict reading of the reference document: each case is a small document
// that differs from a sound one in one place.
#include "builtin/reference.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using nerith::reference::parse;
using nerith::reference::Reference;

// A sound document around the body of its `ports` array.
std::string with_ports(std::string_view ports) {
  return std::string(R"({
  "schema_version": "3.0",
  "generated_at": "2026-05-05T21:33:28Z",
  "sources": {
    "refmar": {"type": "gauge", "provider": "P", "timezone": "UTC", "endpoint": "https://x"},
    "shom_spm": {"type": "predictions", "provider": "Q", "timezone": "Europe/Paris", "note": null}
  },
  "ports": [)") +
         std::string(ports) + "]\n}\n";
}

// A sound port entry, one key per line, with some values replaced (an empty
// value drops the key); a key written "+key" is appended, even if present.
using Fields = std::vector<std::pair<std::string, std::string>>;
std::string port(const Fields& changes = {}) {
  Fields fields = {{"id", R"("FR-A")"},
                   {"name", R"("A")"},
                   {"latitude", "48.5"},
                   {"longitude", "-4.5"},
                   {"mean_water_level", "4.25"},
                   {"source", R"("refmar")"},
                   {"constituents", R"([{"name": "M2", "amplitude": 2.0, "phase_lag": 108.5}])"}};
  for (const auto& [key, value] : changes) {
    const auto same = std::ranges::find(fields, key, &Fields::value_type::first);
    if (key.starts_with('+')) {
      fields.emplace_back(key.substr(1), value);
    } else if (same == fields.end()) {
      fields.emplace_back(key, value);
    } else {
      same->second = value;
    }
  }
  std::string out = "{";
  for (const auto& [key, value] : fields) {
    if (value.empty()) continue;
    if (out.size() > 1) out += ",\n    ";
    out += "\"" + key + "\": " + value;
  }
  return out + "}";
}

std::string deep(std::size_t depth) {
  return std::string(depth, '[') + std::string(depth, ']');
}

std::string constituents(std::string_view entry) {
  return "[" + std::string(entry) + "]";
}

TEST(ReferenceParse, SoundDocument) {
  const auto doc =
      parse(with_ports(port() + ",\n" + port({{"id", R"("FR-B")"}, {"atlantic_coast", "true"}})));
  ASSERT_TRUE(doc.has_value()) << doc.error();
  EXPECT_EQ(doc->schema_version, "3.0");
  EXPECT_EQ(doc->generated_at, "2026-05-05T21:33:28Z");
  ASSERT_EQ(doc->sources.size(), 2u);
  EXPECT_EQ(doc->sources.begin()->first, "refmar");  // ordered by key
  const auto& refmar = doc->sources.at("refmar");
  EXPECT_EQ(refmar.type, "gauge");
  EXPECT_EQ(refmar.provider, "P");
  EXPECT_EQ(refmar.timezone, "UTC");
  EXPECT_EQ(refmar.endpoint, "https://x");
  EXPECT_EQ(refmar.analysis, std::nullopt);
  EXPECT_EQ(doc->sources.at("shom_spm").note, std::nullopt);  // null = absent
  ASSERT_EQ(doc->ports.size(), 2u);
  EXPECT_FALSE(doc->ports[0].atlantic_coast);  // absent: the default
  EXPECT_TRUE(doc->ports[1].atlantic_coast);
  EXPECT_EQ(doc->ports[1].id, "FR-B");

  const nerith::ports::Port expected{"FR-A", "A", 48.5, -4.5, 4.25, false, {{"M2", 2.0, 108.5}}};
  EXPECT_EQ(doc->ports[0].to_port(), expected);
}

// A document that must be accepted, and a check of what it reads to.
struct Accepted {
  std::string name;
  std::string text;
  bool (*check)(const Reference&);
};
void PrintTo(const Accepted& c, std::ostream* os) {
  *os << c.name;
}

class ReferenceAccepts : public testing::TestWithParam<Accepted> {};

TEST_P(ReferenceAccepts, Parses) {
  const auto doc = parse(GetParam().text);
  ASSERT_TRUE(doc.has_value()) << doc.error();
  EXPECT_TRUE(GetParam().check(*doc));
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ReferenceAccepts,
    testing::Values(
        Accepted{"IntegersForNumbers",
                 with_ports(
                     port({{"latitude", "48"},
                           {"longitude", "-4"},
                           {"mean_water_level", "4"},
                           {"constituents",
                            constituents(R"({"name": "M2", "amplitude": 2, "phase_lag": 108})")}})),
                 [](const Reference& r) {
                   const auto& p = r.ports[0];
                   return p.latitude == 48.0 && p.longitude == -4.0 && p.mean_water_level == 4.0 &&
                          p.constituents[0].amplitude == 2.0 &&
                          p.constituents[0].phase_lag == 108.0;
                 }},
        Accepted{"SourceRefAbsent", with_ports(port()),
                 [](const Reference& r) { return !r.ports[0].source_ref.has_value(); }},
        Accepted{"SourceRefNull", with_ports(port({{"source_ref", "null"}})),
                 [](const Reference& r) { return !r.ports[0].source_ref.has_value(); }},
        Accepted{"SourceRefNumber", with_ports(port({{"source_ref", "3"}})),
                 [](const Reference& r) { return r.ports[0].source_ref == 3; }},
        Accepted{"SourceRefString", with_ports(port({{"source_ref", R"("x")"}})),
                 [](const Reference& r) { return r.ports[0].source_ref == "x"; }},
        Accepted{"SourceRefArray", with_ports(port({{"source_ref", R"([1, {"a": null}])"}})),
                 [](const Reference& r) { return r.ports[0].source_ref->size() == 2; }},
        Accepted{"SourceRefObjectKeepsKeyOrder",
                 with_ports(port({{"source_ref", R"({"z": 1, "shom_id": 3, "a": {"b": []}})"}})),
                 [](const Reference& r) {
                   return r.ports[0].source_ref->dump() == R"({"z":1,"shom_id":3,"a":{"b":[]}})";
                 }},
        // Keys inside source_ref are not record keys: a repeated one is accepted.
        Accepted{"SourceRefRepeatedKey", with_ports(port({{"source_ref", R"({"a": 1, "a": 2})"}})),
                 [](const Reference& r) { return r.ports[0].source_ref->is_object(); }},
        Accepted{"SourceNotInSources", with_ports(port({{"source", R"("nowhere")"}})),
                 [](const Reference& r) { return r.ports[0].source == "nowhere"; }},
        Accepted{"EmptyConstituents", with_ports(port({{"constituents", "[]"}})),
                 [](const Reference& r) { return r.ports[0].constituents.empty(); }},
        Accepted{"NoPorts", with_ports(""), [](const Reference& r) { return r.ports.empty(); }},
        Accepted{"UnknownKeysAtEveryLevel",
                 R"({"schema_version": "x", "generated_at": "y", "top": {"deep": [1]},
                     "sources": {"s": {"type": "t", "provider": "p", "timezone": "UTC",
                                       "flag": true}},
                     "ports": [{"id": "A", "name": "A", "latitude": 1, "longitude": 2,
                                "mean_water_level": 3, "source": "s", "shom": null,
                                "constituents": [{"name": "M2", "amplitude": 1,
                                                  "phase_lag": 2, "comment": "c"}]}]})",
                 [](const Reference& r) { return r.ports.size() == 1 && r.sources.size() == 1; }},
        // Unlisted keys may repeat; only listed ones may not.
        Accepted{"RepeatedUnlistedKey",
                 with_ports(port({{"+extra", "1"}, {"+extra", R"("two")"}, {"+extra", "{}"}})),
                 [](const Reference& r) { return r.ports.size() == 1; }},
        // Deep nesting must not exhaust the stack.
        Accepted{"DeeplyNestedUnlistedValue", with_ports(port({{"extra", deep(100000)}})),
                 [](const Reference& r) { return r.ports.size() == 1; }},
        Accepted{"TrailingWhitespace", with_ports(port()) + " \t\r\n\n",
                 [](const Reference& r) { return r.ports.size() == 1; }},
        Accepted{"Utf8Untouched", with_ports(port({{"name", R"("Entrée rivière d'Étel — ✓")"}})),
                 [](const Reference& r) {
                   return r.ports[0].name ==
                          "Entr\xC3\xA9"
                          "e rivi\xC3\xA8re d'\xC3\x89tel \xE2\x80\x94 \xE2\x9C\x93";
                 }},
        Accepted{
            "EscapedUnicode", with_ports(port({{"name", R"("\u00c9tel \ud83c\udf0a")"}})),
            [](const Reference& r) { return r.ports[0].name == "\xC3\x89tel \xF0\x9F\x8C\x8A"; }}),
    [](const auto& info) { return info.param.name; });

// A document that must be refused: the message starts with the fault and,
// where given, ends with the line and column of the last character read.
struct Refused {
  std::string name;
  std::string text;
  std::string fault;
  std::string location = {};
};
void PrintTo(const Refused& c, std::ostream* os) {
  *os << c.name;
}

class ReferenceRefuses : public testing::TestWithParam<Refused> {};

TEST_P(ReferenceRefuses, NamesTheFaultAndWhere) {
  const auto doc = parse(GetParam().text);
  ASSERT_FALSE(doc.has_value());
  const std::string& message = doc.error();
  EXPECT_TRUE(message.starts_with(GetParam().fault)) << message;
  EXPECT_TRUE(message.ends_with(GetParam().location)) << message;
  EXPECT_NE(message.find("line "), std::string::npos) << message;
  EXPECT_NE(message.find("column "), std::string::npos) << message;
}

const std::string kSources = R"("sources": {"s": {"type": "t", "provider": "p", "timezone": "UTC")";

INSTANTIATE_TEST_SUITE_P(
    Rules, ReferenceRefuses,
    testing::Values(
        // Located at the object's closing brace.
        Refused{"MissingSource", with_ports(port({{"source", ""}})), "missing field `source`",
                "at line 13 column 75"},
        Refused{"MissingTopLevelPorts",
                R"({"schema_version": "3.0", "generated_at": "x", "sources": {}})",
                "missing field `ports`", "at line 1 column 61"},
        Refused{
            "MissingConstituentPhase",
            with_ports(port({{"constituents", constituents(R"({"name": "M2", "amplitude": 1})")}})),
            "missing field `phase_lag`"},
        Refused{"MissingSourceTimezone",
                R"({"schema_version": "3.0", "generated_at": "x", "ports": [],
                    "sources": {"s": {"type": "t", "provider": "p"}}})",
                "missing field `timezone`"},
        // Located at the repeated key's closing quote.
        Refused{"DuplicateId", with_ports(port({{"+id", R"("B")"}})), "duplicate field `id`",
                "at line 15 column 8"},
        Refused{"DuplicateLatitude", with_ports(port({{"+latitude", "1"}})),
                "duplicate field `latitude`", "at line 15 column 14"},
        Refused{"DuplicateTopLevel", with_ports(port()).insert(1, R"("schema_version": "2", )"),
                "duplicate field `schema_version`"},
        Refused{"DuplicateInConstituent",
                with_ports(port({{"constituents",
                                  constituents(R"({"name": "M2", "amplitude": 1, "phase_lag": 2,
                                                  "amplitude": 3})")}})),
                "duplicate field `amplitude`"},
        Refused{"DuplicateInSource",
                R"({"schema_version": "3.0", "generated_at": "x", "ports": [], )" + kSources +
                    R"(, "note": null, "note": "n"}}})",
                "duplicate field `note`"},
        // An optional field without a default is still a listed key.
        Refused{"DuplicateSourceRef", with_ports(port({{"source_ref", "1"}, {"+source_ref", "2"}})),
                "duplicate field `source_ref`"},
        Refused{"DuplicateAtlanticCoast",
                with_ports(port({{"atlantic_coast", "true"}, {"+atlantic_coast", "true"}})),
                "duplicate field `atlantic_coast`"},
        // Located at the key whose value has the wrong type.
        Refused{"LatitudeAsString", with_ports(port({{"latitude", R"("48.5")"}})),
                "invalid type: string \"48.5\", expected a number for field `latitude`",
                "at line 10 column 14"},
        Refused{"LatitudeNull", with_ports(port({{"latitude", "null"}})),
                "invalid type: null, expected a number for field `latitude`"},
        Refused{"AtlanticCoastNull", with_ports(port({{"atlantic_coast", "null"}})),
                "invalid type: null, expected a boolean for field `atlantic_coast`"},
        Refused{"AtlanticCoastInteger", with_ports(port({{"atlantic_coast", "1"}})),
                "invalid type: integer `1`, expected a boolean"},
        Refused{"IdAsNumber", with_ports(port({{"id", "7"}})), "invalid type: integer `7`"},
        Refused{"NameNull", with_ports(port({{"name", "null"}})),
                "invalid type: null, expected a string for field `name`"},
        Refused{"AmplitudeAsBoolean",
                with_ports(port({{"constituents", constituents(R"({"name": "M2", "amplitude": true,
                                                                   "phase_lag": 2})")}})),
                "invalid type: boolean `true`, expected a number"},
        Refused{"ConstituentsAsObject", with_ports(port({{"constituents", "{}"}})),
                "invalid type: object, expected a sequence"},
        Refused{"SourcesAsArray",
                R"({"schema_version": "3.0", "generated_at": "x", "sources": [], "ports": []})",
                "invalid type: array, expected a map"},
        Refused{"EndpointAsNumber",
                R"({"schema_version": "3.0", "generated_at": "x", "ports": [], )" + kSources +
                    R"(, "endpoint": 1}}})",
                "invalid type: integer `1`, expected a string for field `endpoint`"},
        // Values that should be objects are located where they stand.
        Refused{"PortEntryNotObject", with_ports("\n  []"),
                "invalid type: array, expected struct ReferencePort", "at line 9 column 3"},
        Refused{"ConstituentNotObject", with_ports(port({{"constituents", "[1]"}})),
                "invalid type: integer `1`, expected struct HarmonicConstituent"},
        Refused{"ConstituentNotObjectAfterDeepNesting",
                with_ports(port({{"extra", deep(100000)}, {"constituents", "[true]"}})),
                "invalid type: boolean `true`, expected struct HarmonicConstituent"},
        Refused{"SourceNotObject",
                R"({"schema_version": "3.0", "generated_at": "x", "ports": [],
                    "sources": {"s": "refmar"}})",
                "invalid type: string \"refmar\", expected struct SourceMetadata"},
        Refused{"RootNotObject", "\n  [1]\n", "invalid type: array, expected struct Reference",
                "at line 2 column 3"},
        // The parser's own faults.
        Refused{"TrailingContent", with_ports(port()) + "x", "parse error"},
        Refused{"SecondDocument", with_ports(port()) + "{}", "parse error"},
        Refused{"Empty", "", "parse error"},
        Refused{"Truncated", with_ports(port()).substr(0, 200), "parse error"},
        Refused{"SyntaxError", "{\n  \"a\": 1,\n  \"x\": @}",
                "parse error at line 3, column 8: syntax error"},
        Refused{"IllFormedUtf8", with_ports(port({{"id", "\"\xff\""}})), "parse error"},
        Refused{"NumberOverflow", with_ports(port({{"latitude", "1e400"}})),
                "number overflow parsing '1e400'"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
