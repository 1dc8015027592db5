// libnerith_full_uniffi.so under threads, loaded beside libnerith_uniffi.so
// as an app that uses both does: the full catalogue is built once under
// concurrent first callers, and every answer is the one a single thread
// gets, byte for byte, whichever library the neighbouring threads call.
// Built under ThreadSanitizer in CI.
#include <gtest/gtest.h>

#include <atomic>
#include <barrier>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "client.hpp"
#include "nerith_full_uniffi.h"
#include "nerith_uniffi.h"

namespace nerith::uniffi::testing {
namespace {

constexpr std::int64_t kMarch10th2024 = 1710028800;

RustBuffer arg(std::string_view text) {
  return lend(kFull, bytes_of(text));
}

// Everything a call leaves behind: status code, result bytes (a height as its
// bit pattern) and the error_buf's bytes.
struct Answer {
  std::int8_t code = 0;
  Bytes result;
  Bytes error;

  friend bool operator==(const Answer&, const Answer&) = default;
};

Answer finish(RustCallStatus& status, RustBuffer result) {
  if (status.code == 2) {
    EXPECT_EQ(status.error_buf.capacity, status.error_buf.len);
  }
  return {status.code, take(kFull, result), take(kFull, status.error_buf)};
}

template <class Function, class... Args>
Answer buffer_call(Function function, Args... args) {
  RustCallStatus status{};
  const RustBuffer result = function(args..., &status);
  return finish(status, result);
}

Answer height_at(std::string_view id, std::int64_t t) {
  RustCallStatus status{};
  const double height = uniffi_nerith_full_uniffi_fn_func_height_at(arg(id), t, &status);
  Answer answer = finish(status, {0, 0, nullptr});
  answer.result = Encoder().f64(height).bytes();
  return answer;
}

// Calls of both libraries with valid and invalid arguments. Malformed
// buffers are never taken over, so they can be passed again and again.
std::vector<std::pair<std::string, std::function<Answer()>>> calls() {
  const RustBuffer no_data_but_length{0, 3, nullptr};
  return {
      {"list_stations",
       [] { return buffer_call(uniffi_nerith_full_uniffi_fn_func_list_stations); }},
      {"search_stations saint",
       [] { return buffer_call(uniffi_nerith_full_uniffi_fn_func_search_stations, arg("saint")); }},
      {"search_stations malformed",
       [=] {
         return buffer_call(uniffi_nerith_full_uniffi_fn_func_search_stations, no_data_but_length);
       }},
      {"get_station FR-LE-CONQUET",
       [] {
         return buffer_call(uniffi_nerith_full_uniffi_fn_func_get_station, arg("FR-LE-CONQUET"));
       }},
      {"get_station unknown",
       [] { return buffer_call(uniffi_nerith_full_uniffi_fn_func_get_station, arg("fr-brest")); }},
      {"height_at", [] { return height_at("FR-SAINT-MALO", kMarch10th2024 + 3600); }},
      {"height_at unknown", [] { return height_at("XX", kMarch10th2024); }},
      {"predict_day",
       [] {
         return buffer_call(uniffi_nerith_full_uniffi_fn_func_predict_day, arg("FR-BREST"),
                            arg("2024-03-10"));
       }},
      {"predict_day invalid date",
       [] {
         return buffer_call(uniffi_nerith_full_uniffi_fn_func_predict_day, arg("FR-NICE"),
                            arg("2024-02-30"));
       }},
      {"predict_range",
       [] {
         return buffer_call(uniffi_nerith_full_uniffi_fn_func_predict_range, arg("FR-ROSCOFF"),
                            arg("2024-03-11"), arg("2024-03-12"));
       }},
      {"predict_range reversed",
       [] {
         return buffer_call(uniffi_nerith_full_uniffi_fn_func_predict_range, arg("FR-BREST"),
                            arg("2024-03-12"), arg("2024-03-11"));
       }},
      {"built-in predict_day",
       [] {
         RustCallStatus status{};
         const RustBuffer result = uniffi_nerith_uniffi_fn_func_predict_day(
             lend("FR-BREST"), lend("2024-03-10"), &status);
         return Answer{status.code, take(result), take(status.error_buf)};
       }},
  };
}

// Declared first, so that even a whole-binary run makes these the process's
// first calls of the full library: its catalogue is built once.
TEST(Concurrency, TheFullCatalogueIsBuiltOnceUnderConcurrentFirstCalls) {
  const auto all = calls();
  std::vector<Answer> answers(all.size());
  std::barrier start(static_cast<std::ptrdiff_t>(all.size()));
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < all.size(); ++i) {
    threads.emplace_back([&, i] {
      start.arrive_and_wait();
      answers[i] = all[i].second();
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (std::size_t i = 0; i < all.size(); ++i)
    EXPECT_EQ(answers[i], all[i].second()) << all[i].first;
}

TEST(Concurrency, BothLibrariesGiveEightThreadsTheAnswersOfOne) {
  const auto all = calls();
  std::vector<Answer> expected;
  for (const auto& [name, call] : all) expected.push_back(call());
  // The reference answers are what they should be, so that agreeing with them
  // means something.
  EXPECT_EQ(Decoder(expected[0].result).i32(), 106);
  EXPECT_EQ(expected[2].code, 2);
  EXPECT_EQ(expected[2].error, bytes_of("null RustBuffer had non-zero length"));
  EXPECT_EQ(expected[3].result.at(0), 1);
  EXPECT_EQ(expected[4].result, Bytes{0});
  EXPECT_EQ(expected[6].error, tide_error(1, "XX"));
  EXPECT_EQ(expected[8].error, tide_error(2, "2024-02-30"));
  EXPECT_EQ(expected[10].error, tide_error(2, "2024-03-12 > 2024-03-11"));
  for (const std::size_t ok : {0, 1, 5, 7, 9, 11}) EXPECT_EQ(expected[ok].code, 0) << ok;

  constexpr int kThreads = 8;
  constexpr int kRounds = 6;
  std::atomic<int> mismatches{0};
  std::barrier start(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      start.arrive_and_wait();
      for (int round = 0; round < kRounds; ++round) {
        // Each thread walks the calls from its own starting point.
        for (std::size_t k = 0; k < all.size(); ++k) {
          const std::size_t i = (k + static_cast<std::size_t>(t)) % all.size();
          if (all[i].second() != expected[i]) ++mismatches;
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
}  // namespace nerith::uniffi::testing
