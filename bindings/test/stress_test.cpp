// Eight threads hammering all seven query functions at once, with valid and
// invalid arguments, as a host app's worker pool might. Built under
// ThreadSanitizer in CI. Every answer must be the one a single thread gets:
// fixed queries byte for byte, each shared new id added exactly once, and
// every list a prefix of the registry's final order (the custom list only
// ever grows at its end).
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "client.hpp"
#include "nerith_uniffi.h"

namespace nerith::uniffi::testing {
namespace {

constexpr int kIterations = 48;
constexpr int kSharedIds = 32;  // every thread tries to add each of them
constexpr int kBuiltIn = 20;    // stations in the built-in table
constexpr std::int64_t kMarch10th2026 = 1773100800;

Answer add_port(RustBuffer port) {
  RustCallStatus status{};
  uniffi_nerith_uniffi_fn_func_add_custom_port(port, &status);
  return answer_of(kNerith, status, {0, 0, nullptr});
}

std::string shared_id(int k) {
  return "STRESS-" + std::to_string(k);
}

// Shared ports differ in their constants, so that a mix-up would show.
Bytes shared_port(int k) {
  Encoder out;
  out.string(shared_id(k)).string("Quai " + std::to_string(k));
  out.f64(47.0 + k / 100.0).f64(-3.0).f64(2.0 + k / 10.0).u8(k % 2).i32(2);
  out.string("M2").f64(1.0 + k / 50.0).f64(10.0 * k).string("K1").f64(0.1).f64(45.0);
  return out.bytes();
}

// Calls whose answer depends on nothing the threads change. Malformed
// buffers are never taken over, so they can be passed again and again.
std::vector<NamedCall> fixed_calls() {
  const RustBuffer no_data_but_length{0, 3, nullptr};
  const RustBuffer no_data_but_capacity{5, 0, nullptr};
  const Bytes whole = port_bytes("STRESS-TRUNCATED");
  const Bytes truncated(whole.begin(), whole.end() - 3);
  Bytes trailing = port_bytes("STRESS-TRAILING");
  trailing.push_back(0);
  return {
      {"get_port FR-BREST", [] { return get_port(kNerithQueries, lend("FR-BREST")); }},
      {"get_port unknown", [] { return get_port(kNerithQueries, lend("STRESS-NOWHERE")); }},
      {"get_port malformed", [=] { return get_port(kNerithQueries, no_data_but_length); }},
      {"height_at",
       [] { return height_at(kNerithQueries, lend("FR-LE-HAVRE"), kMarch10th2026 + 3600); }},
      {"height_at unknown", [] { return height_at(kNerithQueries, lend("XX"), kMarch10th2026); }},
      {"predict_day",
       [] { return predict_day(kNerithQueries, lend("FR-BREST"), lend("2026-03-10")); }},
      {"predict_day lenient date",
       [] { return predict_day(kNerithQueries, lend("FR-DUNKERQUE"), lend("2026-3-9")); }},
      {"predict_day invalid date",
       [] { return predict_day(kNerithQueries, lend("FR-BREST"), lend("2026-02-29")); }},
      {"predict_day unknown",
       [] { return predict_day(kNerithQueries, lend("fr-brest"), lend("2026-13-01")); }},
      {"predict_day malformed",
       [=] { return predict_day(kNerithQueries, lend("FR-BREST"), no_data_but_capacity); }},
      {"predict_range",
       [] {
         return predict_range(kNerithQueries, lend("FR-ROSCOFF"), lend("2024-02-28"),
                              lend("2024-03-01"));
       }},
      {"predict_range reversed",
       [] {
         return predict_range(kNerithQueries, lend("FR-BREST"), lend("2026-01-03"),
                              lend("2026-01-01"));
       }},
      {"predict_range unknown",
       [] {
         return predict_range(kNerithQueries, lend("XX"), lend("2026-01-01"), lend("2026-01-01"));
       }},
      {"search_ports brest", [] { return search_ports(kNerithQueries, lend("BREST")); }},
      {"search_ports not utf-8", [] { return search_ports(kNerithQueries, lend("\xC3\x28\xFF")); }},
      {"search_ports malformed", [=] { return search_ports(kNerithQueries, no_data_but_length); }},
      {"add_custom_port built-in id", [] { return add_port(lend(port_bytes("FR-BREST"))); }},
      {"add_custom_port truncated", [=] { return add_port(lend(truncated)); }},
      {"add_custom_port trailing byte", [=] { return add_port(lend(trailing)); }},
      {"add_custom_port malformed", [=] { return add_port(no_data_but_capacity); }},
  };
}

// A list of stations as it must read when the registry held the built-in
// table and the first `custom` of `order`.
Bytes listing(const Bytes& built_in, const std::vector<int>& order, std::size_t custom,
              bool with_built_in) {
  Encoder out;
  out.i32(static_cast<std::int32_t>((with_built_in ? kBuiltIn : 0) + custom));
  if (with_built_in) out.raw(built_in);
  for (std::size_t i = 0; i < custom; ++i) out.raw(shared_port(order[i]));
  return out.bytes();
}

// Declared first, so that even a whole-binary run makes these the process's
// first calls: the built-in table is built once, under concurrent callers.
TEST(Stress, TheFirstCallsOfTheProcessComeAllAtOnce) {
  const std::vector<std::function<Answer()>> first_calls = {
      [] { return list_ports(kNerithQueries); },
      [] { return get_port(kNerithQueries, lend("FR-BREST")); },
      [] { return search_ports(kNerithQueries, lend("\xC3\xA9tel")); },
      [] { return height_at(kNerithQueries, lend("FR-ETEL"), kMarch10th2026); },
      [] { return predict_day(kNerithQueries, lend("FR-BREST"), lend("2026-03-10")); },
      [] {
        return predict_range(kNerithQueries, lend("FR-BAYONNE"), lend("2026-03-10"),
                             lend("2026-03-11"));
      },
      [] { return add_port(lend(port_bytes("FR-BREST"))); },
      [] { return get_port(kNerithQueries, lend("STRESS-NOWHERE")); },
  };
  const std::vector<Answer> answers = all_at_once(first_calls);
  for (std::size_t i = 0; i < first_calls.size(); ++i) {
    EXPECT_EQ(answers[i], first_calls[i]()) << "call " << i;
  }
  EXPECT_EQ(answers[6].code, 1);  // FR-BREST is taken
}

// What one thread saw.
struct Seen {
  std::vector<std::string> mismatches;
  std::vector<Bytes> lists;
  std::vector<Bytes> searches;
  std::map<int, Answer> custom_days;
};

TEST(Stress, EightThreadsGetTheAnswersOfOne) {
  const auto calls = fixed_calls();
  const std::vector<Answer> expected = answers_of(calls);
  // The reference answers are what they should be, so that a thread agreeing
  // with them means something.
  EXPECT_EQ(expected[0].code, 0);
  EXPECT_EQ(expected[1].result, Bytes{0});
  EXPECT_EQ(expected[4].error, tide_error(1, "XX"));
  EXPECT_EQ(expected[5].code, 0);
  EXPECT_EQ(expected[7].error, tide_error(2, "2026-02-29"));
  EXPECT_EQ(expected[11].error, tide_error(2, "2026-01-03 > 2026-01-01"));
  EXPECT_EQ(expected[16].error, tide_error(3, "DuplicateId(\"FR-BREST\")"));
  EXPECT_EQ(expected[19].code, 2);
  const Answer initial = list_ports(kNerithQueries);
  ASSERT_EQ(initial.code, 0);
  const Bytes built_in(initial.result.begin() + 4, initial.result.end());

  std::array<std::atomic<int>, kSharedIds> added{};
  std::array<std::atomic<int>, kSharedIds> rejected{};
  std::vector<Seen> seen(kThreads);
  on_threads(kThreads, [&](int t) {
    Seen& mine = seen[t];
    for (int i = 0; i < kIterations; ++i) {
      // Threads walk the shared ids from different starting points.
      const int k = (i + t * kSharedIds / kThreads) % kSharedIds;
      const Answer add = add_port(lend(shared_port(k)));
      if (add.code == 0) {
        ++added[k];
      } else if (add == Answer{1, {}, tide_error(3, "DuplicateId(\"" + shared_id(k) + "\")")}) {
        ++rejected[k];
      } else {
        mine.mismatches.push_back("add " + shared_id(k));
      }
      // Added by this thread or another, the station is there now.
      Bytes found{1};
      const Bytes port = shared_port(k);
      found.insert(found.end(), port.begin(), port.end());
      if (get_port(kNerithQueries, lend(shared_id(k))) != Answer{0, found, {}}) {
        mine.mismatches.push_back("get_port " + shared_id(k));
      }
      mine.custom_days[k] = predict_day(kNerithQueries, lend(shared_id(k)), lend("2026-06-21"));

      const std::size_t first = static_cast<std::size_t>(i + t) % calls.size();
      for (std::size_t c = 0; c < calls.size(); ++c) {
        const std::size_t which = (first + c) % calls.size();
        if (calls[which].call() != expected[which]) {
          mine.mismatches.push_back(calls[which].name);
        }
      }
      mine.lists.push_back(list_ports(kNerithQueries).result);
      mine.searches.push_back(search_ports(kNerithQueries, lend("stress-")).result);
    }
  });

  // Exactly one successful addition per shared id, every other try refused.
  int tries = 0;
  for (int k = 0; k < kSharedIds; ++k) {
    EXPECT_EQ(added[k].load(), 1) << shared_id(k);
    tries += added[k].load() + rejected[k].load();
  }
  EXPECT_EQ(tries, kThreads * kIterations);

  // The registry's final order, read by this thread alone.
  Decoder final_list(list_ports(kNerithQueries).result);
  ASSERT_EQ(final_list.i32(), kBuiltIn + kSharedIds);
  for (int i = 0; i < kBuiltIn; ++i) read_port(final_list);
  std::vector<int> order;
  for (int i = 0; i < kSharedIds; ++i) {
    order.push_back(std::stoi(read_port(final_list).id.substr(std::size("STRESS-") - 1)));
  }

  for (int t = 0; t < kThreads; ++t) {
    for (const std::string& mismatch : seen[t].mismatches) {
      ADD_FAILURE() << "thread " << t << ": " << mismatch;
    }
    // Every list held the built-in stations and a prefix of the final custom order.
    for (const Bytes& list : seen[t].lists) {
      ASSERT_GE(list.size(), 4u);
      const auto custom = static_cast<std::size_t>(Decoder(list).i32() - kBuiltIn);
      ASSERT_LE(custom, order.size());
      EXPECT_EQ(list, listing(built_in, order, custom, true)) << "thread " << t;
    }
    for (const Bytes& search : seen[t].searches) {
      ASSERT_GE(search.size(), 4u);
      const auto custom = static_cast<std::size_t>(Decoder(search).i32());
      ASSERT_LE(custom, order.size());
      EXPECT_EQ(search, listing(built_in, order, custom, false)) << "thread " << t;
    }
    // A custom station's day as this thread alone computes it now.
    for (const auto& [k, day] : seen[t].custom_days) {
      EXPECT_EQ(day, predict_day(kNerithQueries, lend(shared_id(k)), lend("2026-06-21")))
          << shared_id(k);
    }
  }
}

}  // namespace
}  // namespace nerith::uniffi::testing
