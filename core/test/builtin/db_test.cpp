// The built-in station table: its contents, the fatal faults of its build,
// and its one-time, poisonable construction.
#include "builtin/db.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <latch>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "builtin/corrections.hpp"
#include "builtin/reference.hpp"
#include "common/lazy.hpp"

namespace {

using nerith::db::build_ports;
using nerith::db::embedded_corrections_document;
using nerith::db::embedded_reference_document;
using nerith::ports::HarmonicConstituent;
using nerith::ports::Port;

// ------------------------------------------------------------ contents

struct Station {
  const char* id;
  const char* name;
  double latitude, longitude, mean_water_level;
  std::size_t constituents;
};

// Document order; names are the document's UTF-8 bytes.
const Station kStations[] = {
    {"FR-BREST", "Brest", 48.383, -4.495, 4.25, 13},
    {"FR-PORT-TUDY", "Port Tudy (Île de Groix)", 47.644, -3.446, 3.222, 13},
    {"FR-CONCARNEAU", "Concarneau", 47.874, -3.907, 3.099, 13},
    {"FR-SAINT-NAZAIRE", "Saint-Nazaire", 47.267, -2.202, 3.679, 12},
    {"FR-L-HERBAUDIERE", "L'Herbaudière (Île de Noirmoutier)", 47.027, -2.298, 3.613, 13},
    {"FR-LA-ROCHELLE", "La Rochelle — La Pallice", 46.159, -1.221, 3.98, 13},
    {"FR-ROSCOFF", "Roscoff", 48.718, -3.966, 5.357, 13},
    {"FR-SAINT-MALO", "Saint-Malo", 48.641, -2.028, 6.856, 13},
    {"FR-CHERBOURG", "Cherbourg", 49.651, -1.636, 3.917, 13},
    {"FR-LE-HAVRE", "Le Havre", 49.482, 0.106, 5.02, 13},
    {"FR-DIEPPE", "Dieppe", 49.929, 1.084, 5.109, 13},
    {"FR-DUNKERQUE", "Dunkerque", 51.048, 2.367, 3.356, 13},
    {"FR-BAYONNE", "Boucau-Bayonne", 43.527, -1.515, 2.626, 13},
    {"FR-ARCACHON", "Arcachon", 44.665, -1.164, 2.531, 13},
    {"FR-PORT-NAVALO", "Port-Navalo (entrée Golfe du Morbihan)", 47.543, -2.916, 3.048, 12},
    {"FR-ARRADON", "Arradon (Golfe du Morbihan)", 47.615, -2.83, 1.53, 13},
    {"FR-AURAY", "Auray — Saint-Goustan", 47.663, -2.978, 2.761, 13},
    {"FR-ETEL", "Entrée rivière d'Étel", 47.644, -3.212, 3.209, 13},
    {"FR-PORNIC", "Pornic", 47.109, -2.114, 3.729, 13},
    {"FR-PORT-JOINVILLE", "Port-Joinville (Île d'Yeu)", 46.727, -2.348, 3.116, 12},
};

const Port& station(const std::vector<Port>& table, const std::string& id) {
  for (const Port& port : table) {
    if (port.id == id) return port;
  }
  throw std::out_of_range(id);
}

TEST(BuiltinTable, StationsInDocumentOrder) {
  const std::vector<Port>& table = nerith::db::PORTS.get();
  ASSERT_EQ(table.size(), std::size(kStations));
  const std::vector<std::string> order = {"M2", "S2", "N2",  "K2",  "K1", "O1",  "P1",
                                          "Q1", "M4", "MS4", "MN4", "M6", "2MS6"};
  for (std::size_t i = 0; i < table.size(); ++i) {
    const Port& port = table[i];
    const Station& want = kStations[i];
    EXPECT_EQ(port.id, want.id);
    EXPECT_EQ(port.name, want.name);
    EXPECT_EQ(port.latitude, want.latitude) << want.id;
    EXPECT_EQ(port.longitude, want.longitude) << want.id;
    EXPECT_EQ(port.mean_water_level, want.mean_water_level) << want.id;
    EXPECT_TRUE(port.atlantic_coast) << want.id;
    ASSERT_EQ(port.constituents.size(), want.constituents) << want.id;
    // The known order, with the one missing name left out.
    std::size_t next = 0;
    for (const HarmonicConstituent& c : port.constituents) {
      while (next < order.size() && order[next] != c.name) ++next;
      EXPECT_LT(next, order.size()) << want.id << " " << c.name;
      EXPECT_GE(c.phase_lag, 0.0);
      EXPECT_LE(c.phase_lag, 360.0);
    }
  }
  EXPECT_EQ(table.front().id, "FR-BREST");
  EXPECT_EQ(table.back().id, "FR-PORT-JOINVILLE");
}

TEST(BuiltinTable, NamesKeepTheirUtf8Bytes) {
  const std::vector<Port>& table = nerith::db::PORTS.get();
  EXPECT_EQ(station(table, "FR-ETEL").name,
            "Entr\xC3\xA9"
            "e rivi\xC3\xA8re d'\xC3\x89tel");
  EXPECT_EQ(station(table, "FR-LA-ROCHELLE").name, "La Rochelle \xE2\x80\x94 La Pallice");
  EXPECT_EQ(station(table, "FR-PORT-JOINVILLE").name, "Port-Joinville (\xC3\x8Ele d'Yeu)");
}

TEST(BuiltinTable, BrestIsUncorrected) {
  const std::vector<HarmonicConstituent> brest = {
      {"M2", 2.051, 108.5}, {"S2", 0.752, 148.4},  {"N2", 0.419, 90.3},  {"K2", 0.215, 146.0},
      {"K1", 0.064, 75.9},  {"O1", 0.064, 328.2},  {"P1", 0.023, 62.6},  {"Q1", 0.022, 279.8},
      {"M4", 0.059, 104.9}, {"MS4", 0.036, 177.9}, {"MN4", 0.022, 59.3}, {"M6", 0.032, 355.0},
      {"2MS6", 0.017, 61.1}};
  EXPECT_EQ(nerith::db::PORTS.get().front().constituents, brest);
}

TEST(BuiltinTable, CorrectionsMoveOnlyM2Phases) {
  const std::vector<Port>& table = nerith::db::PORTS.get();
  const auto reference = nerith::reference::parse(embedded_reference_document());
  ASSERT_TRUE(reference.has_value()) << reference.error();
  struct Corrected {
    const char* id;
    double m2_phase;  // in the table, after the correction
  };
  const Corrected corrected[] = {{"FR-ARCACHON", 113.39},
                                 {"FR-ARRADON", 155.66},
                                 {"FR-AURAY", 113.69},
                                 {"FR-DUNKERQUE", 348.6},
                                 {"FR-ETEL", 107.47},
                                 {"FR-PORNIC", 100.07},
                                 // 116.18 − 9.38 rounds one ulp above 106.8.
                                 {"FR-PORT-NAVALO", 106.80000000000001}};
  for (std::size_t i = 0; i < table.size(); ++i) {
    Port expected = reference->ports[i].to_port();
    for (const Corrected& c : corrected) {
      if (expected.id == c.id) expected.constituents[0].phase_lag = c.m2_phase;
    }
    EXPECT_EQ(table[i], expected) << table[i].id;
  }
  EXPECT_NEAR(station(table, "FR-PORT-NAVALO").constituents[0].phase_lag, 106.8, 1e-12);
  EXPECT_EQ(station(table, "FR-PORT-NAVALO").constituents[0].amplitude, 1.474);
}

TEST(BuiltinTable, EmbeddedDocumentsAreTheSourceBytes) {
  const std::string_view reference = embedded_reference_document();
  const std::string_view corrections = embedded_corrections_document();
  EXPECT_TRUE(reference.starts_with("{\n  \"schema_version\": \"3.0\""));
  EXPECT_TRUE(reference.ends_with("}\n"));
  EXPECT_TRUE(corrections.ends_with("}\n"));
  // Accented names are stored as raw UTF-8, not escaped.
  EXPECT_NE(reference.find("Entr\xC3\xA9"
                           "e rivi\xC3\xA8re"),
            std::string_view::npos);
  const auto parsed = nerith::reference::parse(reference);
  ASSERT_TRUE(parsed.has_value()) << parsed.error();
  EXPECT_EQ(parsed->generated_at, "2026-05-05T21:33:28Z");
  const auto fixes = nerith::corrections::parse(corrections);
  ASSERT_TRUE(fixes.has_value()) << fixes.error();
  EXPECT_EQ(fixes->schema_version, "1.0");
  EXPECT_EQ(fixes->corrections.size(), 7u);
  EXPECT_EQ(build_ports(reference, corrections), nerith::db::PORTS.get());
}

// ------------------------------------------------------------ faulty documents

const std::string kReference = R"({"schema_version": "3.0", "generated_at": "x", "sources": {},
  "ports": [{"id": "FR-A", "name": "A", "latitude": 1, "longitude": 2, "mean_water_level": 3,
             "source": "s", "constituents": [{"name": "M2", "amplitude": 1, "phase_lag": 10}]}]}
)";
const std::string kNoCorrections = R"({"schema_version": "1.0", "corrections": []})";

std::string fatal_message(std::string_view reference, std::string_view corrections) {
  try {
    build_ports(reference, corrections);
  } catch (const std::runtime_error& fault) {
    return fault.what();
  }
  return "(no fault)";
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

TEST(BuildPorts, SoundSmallDocuments) {
  const std::vector<Port> table = build_ports(kReference, kNoCorrections);
  ASSERT_EQ(table.size(), 1u);
  EXPECT_EQ(table[0], (Port{"FR-A", "A", 1.0, 2.0, 3.0, false, {{"M2", 1.0, 10.0}}}));
  // Without corrections the built-in reference keeps Port-Navalo's document phase.
  const std::vector<Port> uncorrected = build_ports(embedded_reference_document(), kNoCorrections);
  EXPECT_EQ(station(uncorrected, "FR-PORT-NAVALO").constituents[0].phase_lag, 116.18);
}

TEST(BuildPorts, FatalMessages) {
  const std::string bad_reference = replaced(kReference, R"("source": "s", )", "");
  const std::string bad_corrections = R"({"schema_version": "1.0"})";
  const auto reference_fault = nerith::reference::parse(bad_reference).error();
  const auto corrections_fault = nerith::corrections::parse(bad_corrections).error();
  ASSERT_TRUE(reference_fault.starts_with("missing field `source` at line "));
  ASSERT_TRUE(corrections_fault.starts_with("missing field `corrections` at line "));

  EXPECT_EQ(fatal_message(bad_reference, kNoCorrections),
            "invalid embedded ports_reference.json: " + reference_fault);
  // Both documents are parsed before anything else: a faulty corrections
  // document stops even a sound reference.
  EXPECT_EQ(fatal_message(kReference, bad_corrections),
            "invalid embedded ports_corrections.json: " + corrections_fault);
  EXPECT_EQ(fatal_message(bad_reference, bad_corrections),
            "invalid embedded ports_reference.json: " + reference_fault);

  const std::string correction = R"({"schema_version": "1.0", "corrections": [
      {"port_id": "ID", "reason": "r", "applied_at": "a", "source_campaign": "c",
       "adjustments": [{"constituent": "NAME", "phase_offset_deg": 1}]}]})";
  EXPECT_EQ(fatal_message(kReference, replaced(replaced(correction, "ID", "FR-X"), "NAME", "M2")),
            "ports_corrections.json merge failed: correction references unknown port 'FR-X'");
  EXPECT_EQ(fatal_message(embedded_reference_document(),
                          replaced(replaced(correction, "ID", "FR-PORT-NAVALO"), "NAME", "2MS6")),
            "ports_corrections.json merge failed: port 'FR-PORT-NAVALO' has no constituent '2MS6'");
}

TEST(BuildPorts, FaultyPortEntries) {
  const std::string prefix = "invalid embedded ports_reference.json: ";
  struct Case {
    std::string text;
    std::string fault;
  };
  for (const Case& c : {
           Case{
               replaced(kReference, R"("source": "s")", R"("atlantic_coast": null, "source": "s")"),
               "invalid type: null, expected a boolean for field `atlantic_coast`"},
           Case{replaced(kReference, R"("latitude": 1)", R"("latitude": "48")"),
                "invalid type: string \"48\", expected a number for field `latitude`"},
           Case{replaced(kReference, R"("name": "A")", R"("name": "A", "name": "B")"),
                "duplicate field `name`"},
           Case{kReference + "x", "parse error"},
       }) {
    const std::string message = fatal_message(c.text, kNoCorrections);
    EXPECT_TRUE(message.starts_with(prefix + c.fault)) << message;
  }
}

// ------------------------------------------------------------ one build

TEST(BuiltinTable, ManyFirstReadersShareOneTable) {
  constexpr int kThreads = 16;
  std::latch start(kThreads);
  std::vector<const std::vector<Port>*> seen(kThreads);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      start.arrive_and_wait();
      seen[i] = &nerith::db::PORTS.get();
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (const auto* table : seen) {
    EXPECT_EQ(table, seen.front());
    EXPECT_EQ(table->size(), 20u);
  }
}

TEST(Lazy, ConcurrentFirstCallersWaitForOneBuild) {
  std::atomic<int> builds = 0;
  nerith::detail::Lazy lazy([&] {
    ++builds;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return std::vector<int>{1, 2, 3};
  });
  constexpr int kThreads = 12;
  std::latch start(kThreads);
  std::vector<const std::vector<int>*> seen(kThreads);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      start.arrive_and_wait();
      seen[i] = &lazy.get();
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(builds, 1);
  for (const auto* value : seen) {
    EXPECT_EQ(value, seen.front());
    EXPECT_EQ(*value, (std::vector<int>{1, 2, 3}));
  }
}

TEST(Lazy, FailedBuildPoisonsForGood) {
  std::atomic<int> builds = 0;
  nerith::detail::Lazy lazy([&]() -> int {
    ++builds;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    throw std::runtime_error("invalid embedded ports_reference.json: broken");
  });
  constexpr int kThreads = 8;
  std::latch start(kThreads);
  std::vector<std::string> messages(kThreads);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      start.arrive_and_wait();
      try {
        lazy.get();
      } catch (const std::runtime_error& fault) {
        messages[i] = fault.what();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  // The caller that ran the build sees its fault; those that waited, the poison.
  EXPECT_EQ(std::ranges::count(messages, "invalid embedded ports_reference.json: broken"), 1);
  EXPECT_EQ(std::ranges::count(messages, "Lazy instance has previously been poisoned"),
            kThreads - 1);
  for (int again = 0; again < 3; ++again) {
    EXPECT_THROW(
        {
          try {
            lazy.get();
          } catch (const std::runtime_error& fault) {
            EXPECT_STREQ(fault.what(), "Lazy instance has previously been poisoned");
            throw;
          }
        },
        std::runtime_error);
  }
  EXPECT_EQ(builds, 1);  // never retried
}

}  // namespace
