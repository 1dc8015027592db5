// Threads calling libnerith_uniffi.so at once, as an app's worker pool does.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "client.hpp"
#include "nerith_uniffi.h"

namespace nerith::uniffi::testing {
namespace {

Outcome add_port(const Bytes& port) {
  RustCallStatus status{};
  uniffi_nerith_uniffi_fn_func_add_custom_port(lend(port), &status);
  return outcome_of(status);
}

TEST(Concurrency, TwoAddsOfOneNewIdGiveOneSuccessAndOneRejection) {
  constexpr int kRounds = 100;
  for (int round = 0; round < kRounds; ++round) {
    const std::string id = "TEST-RACE-" + std::to_string(round);
    const Bytes port = port_bytes(id);
    Outcome outcomes[2];
    on_threads(2, [&](int i) { outcomes[i] = add_port(port); });
    const int winner = outcomes[0].code == 0 ? 0 : 1;
    EXPECT_EQ(outcomes[winner].code, 0) << id;
    EXPECT_EQ(outcomes[1 - winner].code, 1) << id;
    EXPECT_EQ(outcomes[1 - winner].error, tide_error(3, "DuplicateId(\"" + id + "\")"));
  }
}

TEST(Concurrency, EveryFunctionAnswersTheSameFromManyThreads) {
  // Reference answers, taken on this thread.
  const Answer day = predict_day(kNerithQueries, lend("FR-BREST"), lend("2026-03-10"));
  const Answer height = height_at(kNerithQueries, lend("FR-BREST"), 1773100800);
  const Answer brest = get_port(kNerithQueries, lend("FR-BREST"));
  ASSERT_EQ(day.code, 0);
  ASSERT_EQ(height.code, 0);
  ASSERT_EQ(brest.code, 0);

  constexpr int kCalls = 20;
  std::atomic<int> mismatches{0};
  on_threads(kThreads, [&](int t) {
    for (int call = 0; call < kCalls; ++call) {
      const std::string own = "TEST-MANY-" + std::to_string(t) + "-" + std::to_string(call);
      if (add_port(port_bytes(own)).code != 0) ++mismatches;
      const Answer listed = list_ports(kNerithQueries);
      const Answer searched = search_ports(kNerithQueries, lend("brest"));
      const bool same = predict_day(kNerithQueries, lend("FR-BREST"), lend("2026-03-10")) == day &&
                        height_at(kNerithQueries, lend("FR-BREST"), 1773100800) == height &&
                        get_port(kNerithQueries, lend("FR-BREST")) == brest &&
                        get_port(kNerithQueries, lend(own)).result.at(0) == 1 && listed.code == 0 &&
                        listed.result.size() > 4 && searched.code == 0 &&
                        searched.result.size() > 4;
      if (!same) ++mismatches;
    }
  });
  EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
}  // namespace nerith::uniffi::testing
