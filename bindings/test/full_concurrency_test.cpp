// libnerith_full_uniffi.so under threads, loaded beside libnerith_uniffi.so
// as an app that uses both does: the full catalogue is built once under
// concurrent first callers, and every answer is the one a single thread
// gets, byte for byte, whichever library the neighbouring threads call.
// Built under ThreadSanitizer in CI.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
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

// Calls of both libraries with valid and invalid arguments. Malformed
// buffers are never taken over, so they can be passed again and again.
std::vector<NamedCall> calls() {
  const RustBuffer no_data_but_length{0, 3, nullptr};
  return {
      {"list", [] { return list_ports(kFullQueries); }},
      {"search saint", [] { return search_ports(kFullQueries, arg("saint")); }},
      {"search malformed", [=] { return search_ports(kFullQueries, no_data_but_length); }},
      {"get FR-LE-CONQUET", [] { return get_port(kFullQueries, arg("FR-LE-CONQUET")); }},
      {"get unknown", [] { return get_port(kFullQueries, arg("fr-brest")); }},
      {"height_at",
       [] { return height_at(kFullQueries, arg("FR-SAINT-MALO"), kMarch10th2024 + 3600); }},
      {"height_at unknown", [] { return height_at(kFullQueries, arg("XX"), kMarch10th2024); }},
      {"predict_day", [] { return predict_day(kFullQueries, arg("FR-BREST"), arg("2024-03-10")); }},
      {"predict_day invalid date",
       [] { return predict_day(kFullQueries, arg("FR-NICE"), arg("2024-02-30")); }},
      {"predict_range",
       [] {
         return predict_range(kFullQueries, arg("FR-ROSCOFF"), arg("2024-03-11"),
                              arg("2024-03-12"));
       }},
      {"predict_range reversed",
       [] {
         return predict_range(kFullQueries, arg("FR-BREST"), arg("2024-03-12"), arg("2024-03-11"));
       }},
      {"built-in predict_day",
       [] { return predict_day(kNerithQueries, lend("FR-BREST"), lend("2024-03-10")); }},
  };
}

// Declared first, so that even a whole-binary run makes these the process's
// first calls of the full library: its catalogue is built once.
TEST(Concurrency, TheFullCatalogueIsBuiltOnceUnderConcurrentFirstCalls) {
  const auto all = calls();
  std::vector<std::function<Answer()>> each;
  for (const NamedCall& call : all) each.push_back(call.call);
  const std::vector<Answer> answers = all_at_once(each);
  for (std::size_t i = 0; i < all.size(); ++i) EXPECT_EQ(answers[i], all[i].call()) << all[i].name;
}

TEST(Concurrency, BothLibrariesGiveEightThreadsTheAnswersOfOne) {
  const auto all = calls();
  const std::vector<Answer> expected = answers_of(all);
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

  for (const std::string& mismatch : mismatches_on_threads(all, expected, 6))
    ADD_FAILURE() << mismatch;
}

}  // namespace
}  // namespace nerith::uniffi::testing
