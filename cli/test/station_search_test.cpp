#include "station_search.hpp"

#include <gtest/gtest.h>

namespace nerith::cli {
namespace {

TEST(Fold, LowersCaseDropsAccentsAndMakesEverySeparatorOneSpace) {
  const std::vector<std::pair<std::string_view, std::string_view>> cases{
      {"Nantes – Usine Brûlée", "nantes usine brulee"},
      {"L'Île-d'Yeu", "l ile d yeu"},
      {"l’île—d‘yeu", "l ile d yeu"},            // curly apostrophes, an em dash
      {"E\u0301TEL", "etel"},                    // a decomposed accent
      {"Paimbœuf ÆSØÞß", "paimboeuf aesothss"},  // letters spelled out
      {"  Port-Tudy (Île de Groix) ", "port tudy ile de groix"},
      {"Saint\u00a0Malo\u2010x", "saint malo x"},  // no-break space, hyphen
      {"Ωmega \xff", "Ωmega \xff"},                // other letters and stray bytes stay as they are
      {"", ""},
  };
  for (const auto& [text, folded] : cases) EXPECT_EQ(fold(text), folded) << text;
}

TEST(Search, MatchesTheFoldedIdOrName) {
  const std::vector<ports::Port> ports{{"FR-ILE-D-AIX", "Île d'Aix", 0, 0, 0, true, {}},
                                       {"FR-PAIMBOEUF", "Paimbœuf", 0, 0, 0, true, {}},
                                       {"FR-SAINT-MALO", "Saint-Malo", 0, 0, 0, true, {}}};
  const auto ids = [&](std::string_view query) {
    std::vector<std::string> found;
    for (const auto& port : search(ports, query)) found.push_back(port.id);
    return found;
  };
  EXPECT_EQ(ids("ile d’aix"), std::vector<std::string>{"FR-ILE-D-AIX"});
  EXPECT_EQ(ids("PAIMBOEUF"), std::vector<std::string>{"FR-PAIMBOEUF"});
  EXPECT_EQ(ids("saint malo"), std::vector<std::string>{"FR-SAINT-MALO"});
  EXPECT_EQ(ids("fr-"),
            (std::vector<std::string>{"FR-ILE-D-AIX", "FR-PAIMBOEUF", "FR-SAINT-MALO"}));
  EXPECT_TRUE(ids("atlantis").empty());
}

TEST(SubstringDistance, IsTheEditDistanceToTheNearestPart) {
  const std::vector<std::tuple<std::string_view, std::string_view, std::size_t>> cases{
      {"brest", "frbrest", 0},  {"brst", "frbrest", 1},
      {"frbrst", "frbrest", 1}, {"conqet", "leconquet", 1},
      {"xx", "brest", 2},       {"", "brest", 0},
      {"abc", "", 3},
  };
  for (const auto& [needle, haystack, distance] : cases)
    EXPECT_EQ(substring_distance(needle, haystack), distance) << needle << " in " << haystack;
}

// What was typed, the model in use, and the first suggestion with the
// models that hold it (builtin, full); nothing for no suggestion.
struct SuggestionCase {
  std::string_view typed;
  Model current;
  std::string_view first;
  bool in_builtin = false;
  bool in_full = false;
};

TEST(Suggestions, NearestStationsOfBothModels) {
  const std::vector<SuggestionCase> cases{
      {"FR-BRST", Model::Full, "FR-BREST", true, true},
      {"Brst", Model::Builtin, "FR-BREST", true, true},
      {"saint malo", Model::Full, "FR-SAINT-MALO", true, true},
      {"d’yeu", Model::Full, "FR-PORT-JOINVILLE", true, false},
      {"FR-ETL", Model::Full, "FR-ETEL", true, false},
      {"le conqet", Model::Builtin, "FR-LE-CONQUET", false, true},
      {"XX", Model::Full, ""},
      {"", Model::Full, ""},
  };
  for (const auto& c : cases) {
    const auto found = suggestions(c.typed, c.current);
    EXPECT_LE(found.size(), 3u);
    if (c.first.empty()) {
      EXPECT_TRUE(found.empty()) << c.typed;
      continue;
    }
    ASSERT_FALSE(found.empty()) << c.typed;
    EXPECT_EQ(found[0].port.id, c.first) << c.typed;
    EXPECT_EQ(found[0].in_builtin, c.in_builtin) << c.typed;
    EXPECT_EQ(found[0].in_full, c.in_full) << c.typed;
  }
}

}  // namespace
}  // namespace nerith::cli
