// A century of days through predict_range: the whole list comes back in one
// buffer, and the memory it takes grows with the days, nothing more.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "client.hpp"
#include "nerith_uniffi.h"

namespace nerith::uniffi::testing {
namespace {

constexpr std::int64_t kJan1st2000 = 946684800;  // 2000-01-01T00:00:00Z
constexpr std::int32_t kDays = 36525;            // 2000-01-01 to 2099-12-31

// Peak resident memory of the process so far, in bytes.
std::uint64_t peak_rss() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;
}

// Civil date of a day counted from 1970-01-01, through 400-year eras from 0000-03-01.
std::string date_text(std::int64_t days) {
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
  const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
  char text[72];  // three i64 and two separators at most
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld", static_cast<long long>(year),
                static_cast<long long>(month), static_cast<long long>(day));
  return text;
}

TEST(LongRange, ACenturyOfDaysDecodesDayByDay) {
  const std::uint64_t before = peak_rss();
  RustCallStatus status{};
  const RustBuffer result = uniffi_nerith_uniffi_fn_func_predict_range(
      lend("FR-BREST"), lend("2000-01-01"), lend("2099-12-31"), &status);
  const std::uint64_t after = peak_rss();
  ASSERT_EQ(status.code, 0);
  const std::uint64_t encoded = result.len;

  Decoder in(take(result));
  ASSERT_EQ(in.i32(), kDays);
  for (std::int64_t d = 0; d < kDays; ++d) {
    const std::int64_t start = kJan1st2000 + 86400 * d;
    ASSERT_EQ(in.string(), "FR-BREST");
    ASSERT_EQ(in.string(), date_text(start / 86400)) << "day " << d;
    const std::int32_t extremes = in.i32();
    ASSERT_GE(extremes, 3) << date_text(start / 86400);
    ASSERT_LE(extremes, 5) << date_text(start / 86400);
    for (std::int32_t e = 0; e < extremes; ++e) {
      const std::int64_t time = in.i64();
      ASSERT_GE(time, start);
      ASSERT_LT(time, start + 86400);
      in.f64();
      in.boolean();
      if (in.u8() == 1) in.u8();
    }
    ASSERT_EQ(in.i32(), 145);
    for (std::int64_t i = 0; i < 145; ++i) {
      ASSERT_EQ(in.i64(), start + 600 * i);
      in.f64();
    }
  }
  EXPECT_EQ(in.remaining(), 0u);

  // Each day is encoded as it is made, so the peak is about the size of the
  // encoding; the bound leaves room for the allocator.
  const std::uint64_t growth = after > before ? after - before : 0;
  std::printf("predict_range, %d days: %.1f MB encoded, peak RSS %.1f MB (+%.1f MB)\n", kDays,
              static_cast<double>(encoded) / 1e6, static_cast<double>(after) / 1e6,
              static_cast<double>(growth) / 1e6);
  RecordProperty("encoded_bytes", std::to_string(encoded));
  RecordProperty("peak_rss_bytes", std::to_string(after));
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
  // Sanitizer runtimes keep freed memory in quarantine and add shadow memory:
  // the bound holds for plain builds only.
  EXPECT_LE(growth, 3 * encoded);
#endif
}

}  // namespace
}  // namespace nerith::uniffi::testing
