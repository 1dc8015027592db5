// Threads calling libnerith_uniffi.so at once, as an app's worker pool does.
#include <gtest/gtest.h>

#include <atomic>
#include <barrier>
#include <string>
#include <thread>
#include <vector>

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
    std::barrier start(2);
    Outcome outcomes[2];
    std::thread racers[2];
    for (int i = 0; i < 2; ++i) {
      racers[i] = std::thread([&, i] {
        start.arrive_and_wait();
        outcomes[i] = add_port(port);
      });
    }
    for (std::thread& racer : racers) racer.join();
    const int winner = outcomes[0].code == 0 ? 0 : 1;
    EXPECT_EQ(outcomes[winner].code, 0) << id;
    EXPECT_EQ(outcomes[1 - winner].code, 1) << id;
    EXPECT_EQ(outcomes[1 - winner].error, tide_error(3, "DuplicateId(\"" + id + "\")"));
  }
}

TEST(Concurrency, EveryFunctionAnswersTheSameFromManyThreads) {
  // Reference answers, taken on this thread.
  RustCallStatus status{};
  const Bytes day =
      take(uniffi_nerith_uniffi_fn_func_predict_day(lend("FR-BREST"), lend("2026-03-10"), &status));
  const double height =
      uniffi_nerith_uniffi_fn_func_height_at(lend("FR-BREST"), 1773100800, &status);
  const Bytes brest = take(uniffi_nerith_uniffi_fn_func_get_port(lend("FR-BREST"), &status));
  ASSERT_EQ(status.code, 0);

  constexpr int kThreads = 8;
  constexpr int kCalls = 20;
  std::atomic<int> mismatches{0};
  std::barrier start(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      start.arrive_and_wait();
      for (int call = 0; call < kCalls; ++call) {
        RustCallStatus s{};
        const std::string own = "TEST-MANY-" + std::to_string(t) + "-" + std::to_string(call);
        uniffi_nerith_uniffi_fn_func_add_custom_port(lend(port_bytes(own)), &s);
        if (s.code != 0) ++mismatches;
        const Bytes listed = take(uniffi_nerith_uniffi_fn_func_list_ports(&s));
        const Bytes searched = take(uniffi_nerith_uniffi_fn_func_search_ports(lend("brest"), &s));
        const bool same =
            take(uniffi_nerith_uniffi_fn_func_predict_day(lend("FR-BREST"), lend("2026-03-10"),
                                                          &s)) == day &&
            uniffi_nerith_uniffi_fn_func_height_at(lend("FR-BREST"), 1773100800, &s) == height &&
            take(uniffi_nerith_uniffi_fn_func_get_port(lend("FR-BREST"), &s)) == brest &&
            take(uniffi_nerith_uniffi_fn_func_get_port(lend(own), &s)).at(0) == 1 &&
            listed.size() > 4 && searched.size() > 4 && s.code == 0;
        if (!same) ++mismatches;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
}  // namespace nerith::uniffi::testing
