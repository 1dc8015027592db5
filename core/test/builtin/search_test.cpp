#include "nerith/ports/search.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <ostream>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "builtin/db.hpp"
#include "builtin/ports/search_testing.hpp"

// The custom list is shared by the whole process and never cleared, so every
// test adds stations under ids of its own and reads only the stations it
// added, whatever ran before it. The two tests on fixed ids ("fr-brest" and
// the empty id) can run only once per process, as nothing removes a station.

namespace nerith::ports {

// Failure messages name the station rather than dump its bytes.
void PrintTo(const Port& port, std::ostream* out) {
  *out << "Port{" << port.id << ", " << port.name << "}";
}

namespace search {
namespace {

const std::vector<std::string> kBuiltinIds = {
    "FR-BREST",       "FR-PORT-TUDY", "FR-CONCARNEAU", "FR-SAINT-NAZAIRE", "FR-L-HERBAUDIERE",
    "FR-LA-ROCHELLE", "FR-ROSCOFF",   "FR-SAINT-MALO", "FR-CHERBOURG",     "FR-LE-HAVRE",
    "FR-DIEPPE",      "FR-DUNKERQUE", "FR-BAYONNE",    "FR-ARCACHON",      "FR-PORT-NAVALO",
    "FR-ARRADON",     "FR-AURAY",     "FR-ETEL",       "FR-PORNIC",        "FR-PORT-JOINVILLE"};

bool is_builtin(const std::string& id) {
  return std::ranges::find(kBuiltinIds, id) != kBuiltinIds.end();
}

// A fresh id for each call, so that tests stay independent when repeated.
std::string unique_id(const std::string& stem) {
  static std::atomic<int> counter{0};
  return "T-" + stem + "-" + std::to_string(counter++);
}

// A custom station whose every field follows from its id, so that a reader
// can tell a complete copy from a partial one.
Port station(std::string id, std::string name = "Custom station") {
  Port port{id, std::move(name), 47.5, -3.25, 2.75, true, {}};
  for (int k = 0; k < 13; ++k) {
    port.constituents.push_back({id + "/" + std::to_string(k), 0.1 * k, 10.0 * k});
  }
  return port;
}

std::vector<std::string> ids_of(const std::vector<Port>& ports) {
  std::vector<std::string> ids;
  for (const Port& port : ports) ids.push_back(port.id);
  return ids;
}

// The built-in stations of a result; they must all come before the custom ones.
std::vector<std::string> builtin_part(const std::vector<Port>& ports) {
  std::vector<std::string> ids;
  bool custom_seen = false;
  for (const Port& port : ports) {
    if (is_builtin(port.id)) {
      EXPECT_FALSE(custom_seen) << port.id << " listed after a custom station";
      ids.push_back(port.id);
    } else {
      custom_seen = true;
    }
  }
  return ids;
}

bool contains_id(const std::vector<Port>& ports, const std::string& id) {
  return std::ranges::find(ports, id, &Port::id) != ports.end();
}

// ---------------------------------------------------------------- lookup

TEST(GetPort, BuiltinStationsByExactId) {
  const auto brest = get_port("FR-BREST");
  ASSERT_TRUE(brest);
  EXPECT_EQ(brest->name, "Brest");
  ASSERT_EQ(brest->constituents.size(), 13u);
  EXPECT_EQ(brest->constituents[0], (HarmonicConstituent{"M2", 2.051, 108.5}));
  EXPECT_EQ(*brest, db::PORTS.get().front());

  // Ids compare byte for byte and case-sensitively; no trimming.
  for (const char* missing : {"Fr-Brest", "FR-BREST ", " FR-BREST", "FR-BREST\n", "BREST", "?"}) {
    EXPECT_FALSE(get_port(missing)) << missing;
  }
  EXPECT_FALSE(get_port(std::string_view("FR-BREST\0", 9)));
}

TEST(GetPort, EmptyIdOnlyOnceAdded) {
  EXPECT_FALSE(get_port(""));
  ASSERT_TRUE(add_custom_port(station("", "")));
  const auto found = get_port("");
  ASSERT_TRUE(found);
  EXPECT_EQ(*found, station("", ""));
  EXPECT_FALSE(add_custom_port(station("")));
}

// ---------------------------------------------------------------- adding

TEST(AddCustomPort, DuplicateIds) {
  const auto builtin = add_custom_port(station("FR-BREST"));
  ASSERT_FALSE(builtin);
  EXPECT_EQ(builtin.error(), (PortError{PortError::Kind::DuplicateId, "FR-BREST"}));
  EXPECT_EQ(builtin.error().debug_text(), R"(DuplicateId("FR-BREST"))");
  EXPECT_EQ(get_port("FR-BREST")->name, "Brest");

  // A different case is a different id.
  ASSERT_TRUE(add_custom_port(station("fr-brest", "Custom Brest")));
  EXPECT_EQ(get_port("fr-brest")->name, "Custom Brest");

  // The second addition of an id fails and leaves the list as it was.
  const std::string id = unique_id("TWICE");
  ASSERT_TRUE(add_custom_port(station(id, "first")));
  const auto before = ids_of(list_ports());
  const auto again = add_custom_port(station(id, "second"));
  ASSERT_FALSE(again);
  EXPECT_EQ(again.error().id, id);
  EXPECT_EQ(ids_of(list_ports()), before);
  EXPECT_EQ(get_port(id)->name, "first");
}

TEST(AddCustomPort, KeepsStationsExactlyAsGiven) {
  constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const Port odd{unique_id("ODD"),
                 "",
                 kNan,
                 kInf,
                 -kInf,
                 false,
                 {{"XX9", 1.0, 2.0}, {"M2", -1.0, 720.0}, {"M2", 0.0, -5.0}}};
  ASSERT_TRUE(add_custom_port(odd));
  const auto found = get_port(odd.id);
  ASSERT_TRUE(found);
  EXPECT_TRUE(std::isnan(found->latitude));
  EXPECT_EQ(found->longitude, kInf);
  EXPECT_EQ(found->mean_water_level, -kInf);
  EXPECT_FALSE(found->atlantic_coast);
  EXPECT_EQ(found->constituents, odd.constituents);

  const Port bare{unique_id("BARE"), "Bare", 0, 0, 1.0, true, {}};
  ASSERT_TRUE(add_custom_port(bare));
  EXPECT_EQ(get_port(bare.id), bare);
}

TEST(AddCustomPort, IllFormedUtf8IdsCompareAsBytes) {
  const std::string id = unique_id("BAD") + "\xff";
  ASSERT_TRUE(add_custom_port(station(id, "Bad\xc3")));
  EXPECT_TRUE(get_port(id));
  std::string other = id;
  other.back() = '\xfe';
  EXPECT_FALSE(get_port(other));  // both read as U+FFFD, but lookup compares bytes
  ASSERT_TRUE(add_custom_port(station(other)));

  const auto again = add_custom_port(station(id));
  ASSERT_FALSE(again);
  EXPECT_EQ(again.error().debug_text(),
            "DuplicateId(\"" + id.substr(0, id.size() - 1) + "\xef\xbf\xbd\")");
  EXPECT_TRUE(contains_id(search_ports("bad\xef\xbf\xbd"), id));
}

// ---------------------------------------------------------------- listing

TEST(ListPorts, BuiltinsThenCustomInOrderAdded) {
  const auto builtins = list_ports();
  ASSERT_GE(builtins.size(), 20u);
  EXPECT_EQ(std::vector<Port>(builtins.begin(), builtins.begin() + 20), db::PORTS.get());
  EXPECT_EQ(builtin_part(builtins), kBuiltinIds);

  const std::string first = unique_id("LIST"), second = unique_id("LIST");
  ASSERT_TRUE(add_custom_port(station(first)));
  ASSERT_TRUE(add_custom_port(station(second)));
  const auto all = list_ports();
  ASSERT_EQ(all.size(), builtins.size() + 2);
  EXPECT_EQ(all[all.size() - 2], station(first));
  EXPECT_EQ(all[all.size() - 1], station(second));
  EXPECT_EQ(ids_of(search_ports("")), ids_of(all));  // ids: another test adds NaN fields
}

TEST(Registry, CallersCopiesCannotChangeIt) {
  auto brest = *get_port("FR-BREST");
  brest.name = "Changed";
  brest.constituents.clear();
  auto listed = list_ports();
  listed.front().constituents.front().amplitude = 99.0;
  auto found = search_ports("brest");
  found.front().id = "FR-CHANGED";
  EXPECT_EQ(*get_port("FR-BREST"), db::PORTS.get().front());
  EXPECT_EQ(list_ports().front(), db::PORTS.get().front());

  const std::string id = unique_id("COPY");
  Port given = station(id);
  ASSERT_TRUE(add_custom_port(given));
  given.name = "Changed after adding";
  auto copy = *get_port(id);
  copy.constituents[3].phase_lag = -1.0;
  EXPECT_EQ(*get_port(id), station(id));
}

// ---------------------------------------------------------------- search

// Test names show texts in ASCII: letters, digits and '-' as they are, a blank
// as '_', any other byte as %XX.
std::string label(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char byte : text) {
    if (std::isalnum(byte) != 0 || byte == '-') {
      out += static_cast<char>(byte);
    } else if (byte == ' ') {
      out += '_';
    } else {
      out += {'%', kHex[byte >> 4], kHex[byte & 0xf]};
    }
  }
  return out;
}

struct SearchCase {
  std::string query;
  std::vector<std::string> builtin_ids;  // in table order
  friend void PrintTo(const SearchCase& c, std::ostream* out) { *out << label(c.query); }
};

class SearchBuiltins : public ::testing::TestWithParam<SearchCase> {};

TEST_P(SearchBuiltins, MatchesIdThenNameInTableOrder) {
  EXPECT_EQ(builtin_part(search_ports(GetParam().query)), GetParam().builtin_ids);
}

INSTANTIATE_TEST_SUITE_P(
    Queries, SearchBuiltins,
    ::testing::Values(SearchCase{"brest", {"FR-BREST"}}, SearchCase{"BREST", {"FR-BREST"}},
                      SearchCase{" brest", {}},         // no trimming
                      SearchCase{"etel", {"FR-ETEL"}},  // through the id
                      SearchCase{"étel", {"FR-ETEL"}},  // through the name "… d'Étel"
                      SearchCase{"ÉTEL", {"FR-ETEL"}}, SearchCase{"D'ÉTEL", {"FR-ETEL"}},
                      SearchCase{"e\u0301tel", {}},  // decomposed accent: no normalisation
                      SearchCase{"ÎLE", {"FR-PORT-TUDY", "FR-L-HERBAUDIERE", "FR-PORT-JOINVILLE"}},
                      SearchCase{"groix", {"FR-PORT-TUDY"}},
                      SearchCase{"golfe du morbihan", {"FR-PORT-NAVALO", "FR-ARRADON"}},
                      SearchCase{"saint", {"FR-SAINT-NAZAIRE", "FR-SAINT-MALO", "FR-AURAY"}},
                      SearchCase{"— la pallice", {"FR-LA-ROCHELLE"}},
                      SearchCase{"fr-", kBuiltinIds}, SearchCase{"", kBuiltinIds},
                      SearchCase{"\xff", {}}, SearchCase{"\xc3", {}}, SearchCase{"\xe2\x80", {}},
                      SearchCase{"\xed\xa0\x80", {}}, SearchCase{std::string("brest\0", 6), {}}));

struct CustomSearchCase {
  std::string name;
  std::vector<std::string> matching;
  std::vector<std::string> missing;
  friend void PrintTo(const CustomSearchCase& c, std::ostream* out) { *out << label(c.name); }
};

class SearchCustom : public ::testing::TestWithParam<CustomSearchCase> {};

// Both sides take the full lower-case mapping: one-to-many (U+0130 → i +
// U+0307) and the context-dependent final sigma.
TEST_P(SearchCustom, FullUnicodeLowerCase) {
  const std::string id = unique_id("CASE");
  ASSERT_TRUE(add_custom_port(station(id, GetParam().name)));
  for (const std::string& query : GetParam().matching) {
    EXPECT_TRUE(contains_id(search_ports(query), id)) << query;
  }
  for (const std::string& query : GetParam().missing) {
    EXPECT_FALSE(contains_id(search_ports(query), id)) << query;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, SearchCustom,
    ::testing::Values(
        CustomSearchCase{"İSTANBUL", {"İSTANBUL", "i\u0307stanbul", "İ"}, {"istanbul", "ıstanbul"}},
        CustomSearchCase{"ΟΔΟΣ", {"ΟΔΟΣ", "οδος", "ΟΣ", "ς"}, {"οδοσ", "Σ", "σ"}},
        CustomSearchCase{"ΣΑΣ ΒΑΣΗ", {"σας", "ΣΑ", "βαση", "ΒΑΣΗ", "Σ"}, {"ςα", "σασ"}},
        CustomSearchCase{"Le Fr-Ancien", {"fr-", "FR-ANCIEN"}, {"fr -"}},
        CustomSearchCase{"Bad\xc3", {"BAD", "\xc3", "\xff"}, {"bad\xc3\xa9"}}));

TEST(SearchPorts, FindsCustomStationsThroughTheirIds) {
  const std::string id = unique_id("ÉCLUSE");
  ASSERT_TRUE(add_custom_port(station(id, "No match here")));
  EXPECT_TRUE(contains_id(search_ports("t-écluse"), id));
  EXPECT_TRUE(contains_id(search_ports("T-ÉCLUSE"), id));
  EXPECT_FALSE(contains_id(search_ports("fr-"), id));
}

// ---------------------------------------------------------------- debug text

struct DebugCase {
  std::string id;
  std::string text;
  friend void PrintTo(const DebugCase& c, std::ostream* out) { *out << label(c.id); }
};

class DebugText : public ::testing::TestWithParam<DebugCase> {};

TEST_P(DebugText, EscapesLikeAQuotedLiteral) {
  EXPECT_EQ((PortError{PortError::Kind::DuplicateId, GetParam().id}.debug_text()),
            "DuplicateId(\"" + GetParam().text + "\")");
}

INSTANTIATE_TEST_SUITE_P(
    Ids, DebugText,
    ::testing::Values(
        DebugCase{"FR-BREST", "FR-BREST"}, DebugCase{"", ""},
        DebugCase{"a\"b\\c'd e", R"(a\"b\\c'd e)"}, DebugCase{"\t\r\n", R"(\t\r\n)"},
        DebugCase{std::string("a\0b", 3), R"(a\0b)"},
        DebugCase{"\x01\x1b\x7f", R"(\u{1}\u{1b}\u{7f})"},
        DebugCase{"\u0085", R"(\u{85})"},                                            // C1 control
        DebugCase{"\u00a0\u2028\u2029\u3000", R"(\u{a0}\u{2028}\u{2029}\u{3000})"},  // separators
        DebugCase{"\u200b\u00ad\ufeff", R"(\u{200b}\u{ad}\u{feff})"},                // format
        DebugCase{"\ue000\U000F0000", R"(\u{e000}\u{f0000})"},                       // private use
        DebugCase{"\u0378\U0010FFFF", R"(\u{378}\u{10ffff})"},                       // unassigned
        DebugCase{"e\u0301", R"(e\u{301})"}, DebugCase{"\u0301x", R"(\u{301}x)"},    // combining
        DebugCase{"\u2764\ufe0f", "\u2764\\u{fe0f}"},  // variation selector extends the grapheme
        DebugCase{"Entrée rivière d'Étel — Île", "Entrée rivière d'Étel — Île"},
        DebugCase{"İΣ\u4e2d\U0001F30A", "İΣ\u4e2d\U0001F30A"},
        // Ill-formed UTF-8: each maximal ill-formed subpart reads as U+FFFD.
        DebugCase{"\xff", "\ufffd"}, DebugCase{"a\xc3", "a\ufffd"},
        DebugCase{"\xe2\x80z", "\ufffdz"}, DebugCase{"\xed\xa0\x80", "\ufffd\ufffd\ufffd"},
        DebugCase{"\xc0\x80", "\ufffd\ufffd"},
        DebugCase{"\xf4\x90\x80\x80", "\ufffd\ufffd\ufffd\ufffd"},
        DebugCase{"\xf0\x9f\x8c", "\ufffd"}));

// ---------------------------------------------------------------- poisoning

// Runs in a child process (the poisoned mark lasts for the whole process).
// Returns the first check that failed, or nullptr.
const char* poisoned_list_check() {
  const auto fails_as_poisoned = [](auto&& operation) {
    try {
      operation();
    } catch (const std::runtime_error& error) {
      return std::string_view(error.what()).find("poisoned") != std::string_view::npos;
    }
    return false;
  };
  test_hooks::fail_next_locked_section();
  try {
    (void)add_custom_port(station("T-POISON"));
    return "the injected failure did not surface";
  } catch (const std::runtime_error&) {
  }
  if (!fails_as_poisoned([] { list_ports(); })) return "list_ports used the poisoned list";
  if (!fails_as_poisoned([] { search_ports("brest"); })) return "search_ports used the list";
  if (!fails_as_poisoned([] { get_port("T-POISON"); })) return "get_port used the list";
  if (!fails_as_poisoned([] { (void)add_custom_port(station("T-OTHER")); })) {
    return "add_custom_port used the list";
  }
  // Built-in answers need no lock.
  if (!get_port("FR-BREST")) return "get_port missed a built-in station";
  if (add_custom_port(station("FR-BREST"))) return "a built-in id was added";
  return nullptr;
}

TEST(RegistryDeathTest, FailureUnderTheLockPoisonsTheCustomList) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        const char* failure = poisoned_list_check();
        if (failure != nullptr) std::fputs(failure, stderr);
        std::exit(failure == nullptr ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

// ---------------------------------------------------------------- threads

// Writers add their own ids and race each other on shared ones while readers
// list, search and look up. Every custom station a reader sees must be whole.
TEST(RegistryConcurrency, OneAdditionPerIdAndNoPartialStations) {
  constexpr int kWriters = 4, kReaders = 3, kPerWriter = 40, kShared = 40;
  const std::string prefix = unique_id("CONC") + "-";
  const auto own_id = [&](int writer, int i) {
    return prefix + "w" + std::to_string(writer) + "-" + std::to_string(i);
  };
  const auto shared_id = [&](int i) { return prefix + "s" + std::to_string(i); };

  std::vector<std::atomic<int>> shared_wins(kShared);
  std::atomic<int> own_failures{0}, torn{0}, writers_left{kWriters};
  const auto check_whole = [&](const std::vector<Port>& ports) {
    for (const Port& port : ports) {
      if (port.id.starts_with(prefix) && port != station(port.id, port.id)) ++torn;
    }
  };

  std::vector<std::thread> threads;
  for (int w = 0; w < kWriters; ++w) {
    threads.emplace_back([&, w] {
      for (int i = 0; i < kPerWriter; ++i) {
        if (!add_custom_port(station(own_id(w, i), own_id(w, i)))) ++own_failures;
        if (add_custom_port(station(shared_id(i), shared_id(i)))) ++shared_wins[i];
      }
      --writers_left;
    });
  }
  for (int r = 0; r < kReaders; ++r) {
    threads.emplace_back([&, r] {
      int round = 0;
      do {
        check_whole(list_ports());
        check_whole(search_ports(r == 0 ? prefix : "t-conc"));
        if (const auto port = get_port(shared_id(round % kShared))) check_whole({*port});
        const auto arradon = get_port("FR-ARRADON");
        EXPECT_TRUE(arradon && arradon->name == "Arradon (Golfe du Morbihan)");
        ++round;
      } while (writers_left.load() > 0);
    });
  }
  for (std::thread& thread : threads) thread.join();

  EXPECT_EQ(own_failures.load(), 0);
  EXPECT_EQ(torn.load(), 0);
  for (int i = 0; i < kShared; ++i) EXPECT_EQ(shared_wins[i].load(), 1) << shared_id(i);

  // Each id once, each writer's own ids in the order it added them.
  std::vector<std::string> mine;
  for (const std::string& id : ids_of(list_ports())) {
    if (id.starts_with(prefix)) mine.push_back(id);
  }
  EXPECT_EQ(mine.size(), std::set<std::string>(mine.begin(), mine.end()).size());
  EXPECT_EQ(mine.size(), static_cast<std::size_t>(kWriters * kPerWriter + kShared));
  for (int w = 0; w < kWriters; ++w) {
    std::vector<std::string> in_list, expected;
    for (const std::string& id : mine) {
      if (id.starts_with(prefix + "w" + std::to_string(w) + "-")) in_list.push_back(id);
    }
    for (int i = 0; i < kPerWriter; ++i) expected.push_back(own_id(w, i));
    EXPECT_EQ(in_list, expected);
  }
}

}  // namespace
}  // namespace search
}  // namespace nerith::ports
