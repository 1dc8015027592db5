// Sizes beyond what this process can address: 2^31 bytes and more on 32-bit
// targets, 2^63 and more on 64-bit ones. Each fails with status 2 and is
// never narrowed to size_t. Rows that a target can address are skipped (they
// would allocate gigabytes); the armhf suite runs them all.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>

#include "client.hpp"
#include "nerith_uniffi.h"

namespace nerith::uniffi::testing {
namespace {

constexpr std::uint64_t kAddressable = std::numeric_limits<std::ptrdiff_t>::max();
constexpr std::uint64_t kU64Max = std::numeric_limits<std::uint64_t>::max();
constexpr std::uint64_t k2To31 = std::uint64_t{1} << 31;
constexpr std::uint64_t k2To32 = std::uint64_t{1} << 32;
constexpr std::uint64_t k2To63 = std::uint64_t{1} << 63;

struct Case {
  std::uint64_t size;  // requested by alloc, or added by reserve to 4 bytes held
  std::string message;
};

TEST(SizeLimits, AllocBeyondTheAddressSpaceFails) {
  const Case cases[] = {
      {k2To31, "memory allocation of 2147483648 bytes failed"},
      {k2To32, "memory allocation of 4294967296 bytes failed"},
      {k2To32 + 5, "memory allocation of 4294967301 bytes failed"},  // 5 once narrowed
      {k2To63, "capacity overflow"},
      {kU64Max, "capacity overflow"},
  };
  for (const Case& c : cases) {
    if (c.size <= kAddressable) continue;
    RustCallStatus status{};
    EXPECT_TRUE(is_zero(ffi_nerith_uniffi_rustbuffer_alloc(c.size, &status)));
    const Outcome outcome = outcome_of(status);
    EXPECT_EQ(outcome.code, 2) << c.size;
    EXPECT_EQ(outcome.message(), c.message);
  }
}

TEST(SizeLimits, ReserveBeyondTheAddressSpaceFailsAndConsumesTheBuffer) {
  const Case cases[] = {
      {k2To31 - 4, "memory allocation of 2147483648 bytes failed"},
      {k2To32 - 4, "memory allocation of 4294967296 bytes failed"},  // 0 once narrowed
      {k2To32, "memory allocation of 4294967300 bytes failed"},
      {k2To63, "capacity overflow"},
      {kU64Max, "capacity overflow"},
  };
  for (const Case& c : cases) {
    if (c.size <= kAddressable - 4) continue;
    RustCallStatus status{};
    RustBuffer buffer = ffi_nerith_uniffi_rustbuffer_alloc(10, &status);
    buffer.len = 4;
    EXPECT_TRUE(is_zero(ffi_nerith_uniffi_rustbuffer_reserve(buffer, c.size, &status)));
    const Outcome outcome = outcome_of(status);
    EXPECT_EQ(outcome.code, 2) << c.size;
    EXPECT_EQ(outcome.message(), c.message);
  }
}

// A library-made buffer relabelled with a capacity no block can have: every
// function refuses it and leaves it alone, so it is still ours to free.
TEST(SizeLimits, BuffersDeclaringMoreThanTheAddressSpaceAreRefused) {
  for (const std::uint64_t capacity : {k2To31, k2To32 + 8, k2To63, kU64Max}) {
    if (capacity <= kAddressable) continue;
    for (const std::uint64_t len : {std::uint64_t{8}, capacity}) {
      const RustBuffer real = lend("FR-BREST");
      const RustBuffer forged{capacity, len, real.data};
      RustCallStatus get{};
      EXPECT_TRUE(is_zero(uniffi_nerith_uniffi_fn_func_get_port(forged, &get)));
      RustCallStatus reserve{};
      EXPECT_TRUE(is_zero(ffi_nerith_uniffi_rustbuffer_reserve(forged, 1, &reserve)));
      RustCallStatus freed{};
      ffi_nerith_uniffi_rustbuffer_free(forged, &freed);
      for (RustCallStatus* status : {&get, &reserve, &freed}) {
        const Outcome outcome = outcome_of(*status);
        EXPECT_EQ(outcome.code, 2) << capacity << " " << len;
        EXPECT_EQ(outcome.message(), "RustBuffer capacity exceeds the address space");
      }
      EXPECT_EQ(text_of(take(real)), "FR-BREST");
    }
  }
}

TEST(SizeLimits, ForeignBytesOfTheMostNegativeLengthAreRefused) {
  const std::uint8_t source[] = {1, 2, 3};
  constexpr std::int32_t kMostNegative = std::numeric_limits<std::int32_t>::min();
  const std::pair<ForeignBytes, std::string> cases[] = {
      {{kMostNegative, source}, "bytes length negative or overflowed: TryFromIntError(())"},
      {{kMostNegative, nullptr}, "null ForeignBytes had non-zero length"},
  };
  for (const auto& [bytes, message] : cases) {
    RustCallStatus status{};
    EXPECT_TRUE(is_zero(ffi_nerith_uniffi_rustbuffer_from_bytes(bytes, &status)));
    const Outcome outcome = outcome_of(status);
    EXPECT_EQ(outcome.code, 2);
    EXPECT_EQ(outcome.message(), message);
  }
}

// Every writable year: 784 billion days, more than a sequence on the wire
// counts. The encoder refuses the count before the first day, so the call
// fails at once on every target.
TEST(SizeLimits, ARangeTooLongToCountFailsAtOnce) {
  RustCallStatus status{};
  EXPECT_TRUE(is_zero(uniffi_nerith_uniffi_fn_func_predict_range(
      lend("FR-BREST"), lend("1-01-01"), lend("2147483647-12-31"), &status)));
  const Outcome outcome = outcome_of(status);
  EXPECT_EQ(outcome.code, 2);
  EXPECT_EQ(outcome.message(), "a sequence of 784352295939 elements is too long to encode");
}

}  // namespace
}  // namespace nerith::uniffi::testing
