// The frame of libnerith_uniffi.so seen through its exported symbols: buffer
// functions (in libnerith_full_uniffi.so too), load-time checks, status
// handling and the future entry points.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "client.hpp"
#include "nerith_uniffi.h"

namespace nerith::uniffi::testing {
namespace {

std::uint8_t* fake_pointer() {
  return reinterpret_cast<std::uint8_t*>(std::uintptr_t{0x1000});
}

// The four buffer functions are the frame's, exported under each crate's names:
// every case holds in both libraries.
class Buffer : public ::testing::TestWithParam<BufferFunctions> {};

INSTANTIATE_TEST_SUITE_P(BothLibraries, Buffer, ::testing::Values(kNerith, kFull),
                         [](const auto& library) { return std::string(library.param.crate); });

TEST_P(Buffer, AllocZeroIsTheEmptyBufferWithAPlaceholder) {
  RustCallStatus status{};
  const RustBuffer buffer = GetParam().alloc(0, &status);
  EXPECT_EQ(status.code, 0);
  EXPECT_EQ(buffer.capacity, 0u);
  EXPECT_EQ(buffer.len, 0u);
  EXPECT_NE(buffer.data, nullptr);  // Kotlin reads null as allocation failure
  EXPECT_TRUE(take(GetParam(), buffer).empty());
}

TEST_P(Buffer, AllocGivesZeroedBytesOfExactlyTheSize) {
  RustCallStatus status{};
  const RustBuffer buffer = GetParam().alloc(5, &status);
  EXPECT_EQ(status.code, 0);
  EXPECT_EQ(buffer.capacity, 5u);
  EXPECT_EQ(take(GetParam(), buffer), Bytes(5, 0));
}

TEST_P(Buffer, AllocBeyondTheSizeLimitOrMemoryFailsWithStatusTwo) {
  struct Case {
    std::uint64_t size;
    std::string message;
  };
  const Case cases[] = {
      {std::uint64_t{1} << 63, "capacity overflow"},
      {std::numeric_limits<std::uint64_t>::max(), "capacity overflow"},
      // Within the limit but more than any machine has: reported, not fatal.
      {(std::uint64_t{1} << 63) - 1, "memory allocation of 9223372036854775807 bytes failed"},
  };
  for (const Case& c : cases) {
    RustCallStatus status{};
    const RustBuffer buffer = GetParam().alloc(c.size, &status);
    EXPECT_TRUE(is_zero(buffer));
    const Outcome outcome = outcome_of(GetParam(), status);
    EXPECT_EQ(outcome.code, 2);
    EXPECT_EQ(outcome.message(), c.message);
  }
}

TEST_P(Buffer, FromBytesCopiesAndValidates) {
  const std::uint8_t source[] = {1, 2, 3};
  RustCallStatus status{};
  const RustBuffer copy = GetParam().from_bytes({3, source}, &status);
  EXPECT_EQ(status.code, 0);
  EXPECT_EQ(copy.capacity, 3u);
  EXPECT_NE(copy.data, source);
  EXPECT_EQ(take(GetParam(), copy), (Bytes{1, 2, 3}));

  for (const ForeignBytes empty : {ForeignBytes{0, nullptr}, ForeignBytes{0, source}}) {
    const RustBuffer buffer = GetParam().from_bytes(empty, &status);
    EXPECT_EQ(status.code, 0);
    EXPECT_EQ(buffer.capacity, 0u);
    EXPECT_NE(buffer.data, nullptr);
    take(GetParam(), buffer);
  }

  struct Case {
    ForeignBytes bytes;
    std::string message;
  };
  const Case cases[] = {
      {{3, nullptr}, "null ForeignBytes had non-zero length"},
      {{-1, nullptr}, "null ForeignBytes had non-zero length"},
      {{-1, source}, "bytes length negative or overflowed: TryFromIntError(())"},
  };
  for (const Case& c : cases) {
    RustCallStatus failed{};
    EXPECT_TRUE(is_zero(GetParam().from_bytes(c.bytes, &failed)));
    const Outcome outcome = outcome_of(GetParam(), failed);
    EXPECT_EQ(outcome.code, 2);
    EXPECT_EQ(outcome.message(), c.message);
  }
}

TEST_P(Buffer, FreeAcceptsEmptyBuffersAndRejectsMalformedOnes) {
  RustCallStatus status{};
  GetParam().free({0, 0, nullptr}, &status);
  EXPECT_EQ(status.code, 0);

  struct Case {
    RustBuffer buffer;
    std::string message;
  };
  const Case cases[] = {
      {{5, 0, nullptr}, "null RustBuffer had non-zero capacity"},
      {{5, 3, nullptr}, "null RustBuffer had non-zero capacity"},
      {{0, 3, nullptr}, "null RustBuffer had non-zero length"},
      // Never freed: the pointer is not the library's.
      {{4, 5, fake_pointer()}, "RustBuffer length exceeds capacity"},
  };
  for (const Case& c : cases) {
    RustCallStatus failed{};
    GetParam().free(c.buffer, &failed);
    const Outcome outcome = outcome_of(GetParam(), failed);
    EXPECT_EQ(outcome.code, 2);
    EXPECT_EQ(outcome.message(), c.message);
  }
}

// A buffer of capacity 10 holding 4 known bytes.
RustBuffer ten_with_four(const BufferFunctions& library) {
  RustCallStatus status{};
  RustBuffer buffer = library.alloc(10, &status);
  std::memcpy(buffer.data, "abcd", 4);
  buffer.len = 4;
  return buffer;
}

RustBuffer empty_alloc(const BufferFunctions& library) {
  RustCallStatus status{};
  return library.alloc(0, &status);
}

TEST_P(Buffer, ReserveGrowsByDoublingWithAMinimumOfEight) {
  struct Case {
    std::uint64_t additional;
    std::uint64_t capacity;
  };
  for (const Case c : {Case{0, 10}, Case{6, 10}, Case{7, 20}, Case{30, 34}}) {
    const RustBuffer before = ten_with_four(GetParam());
    RustCallStatus status{};
    const RustBuffer after = GetParam().reserve(before, c.additional, &status);
    EXPECT_EQ(status.code, 0);
    EXPECT_EQ(after.capacity, c.capacity) << "additional " << c.additional;
    EXPECT_EQ(after.len, 4u);
    if (c.capacity == 10) {
      EXPECT_EQ(after.data, before.data);
    }
    EXPECT_EQ(take(GetParam(), after), bytes_of("abcd"));
  }

  for (const RustBuffer empty : {RustBuffer{0, 0, nullptr}, empty_alloc(GetParam())}) {
    RustCallStatus status{};
    const RustBuffer grown = GetParam().reserve(empty, 1, &status);
    EXPECT_EQ(status.code, 0);
    EXPECT_EQ(grown.capacity, 8u);
    EXPECT_EQ(grown.len, 0u);
    take(GetParam(), grown);
  }
}

TEST_P(Buffer, ReserveRejectsMalformedBuffersAndOverflow) {
  RustCallStatus status{};
  GetParam().reserve({0, 2, nullptr}, 1, &status);
  Outcome outcome = outcome_of(GetParam(), status);
  EXPECT_EQ(outcome.code, 2);
  EXPECT_EQ(outcome.message(), "null RustBuffer had non-zero length");

  for (const std::uint64_t additional :
       {std::numeric_limits<std::uint64_t>::max(), std::uint64_t{1} << 63}) {
    RustCallStatus overflow{};
    // The buffer is consumed even though it cannot grow.
    EXPECT_TRUE(is_zero(GetParam().reserve(ten_with_four(GetParam()), additional, &overflow)));
    outcome = outcome_of(GetParam(), overflow);
    EXPECT_EQ(outcome.code, 2);
    EXPECT_EQ(outcome.message(), "capacity overflow");
  }
}

TEST(Contract, VersionAndChecksumsAreFixed) {
  EXPECT_EQ(ffi_nerith_uniffi_uniffi_contract_version(), 26u);
  struct Case {
    std::uint16_t (*checksum)();
    std::uint16_t value;
  };
  const Case cases[] = {
      {uniffi_nerith_uniffi_checksum_func_add_custom_port, 43597},
      {uniffi_nerith_uniffi_checksum_func_get_port, 4355},
      {uniffi_nerith_uniffi_checksum_func_height_at, 55751},
      {uniffi_nerith_uniffi_checksum_func_list_ports, 62794},
      {uniffi_nerith_uniffi_checksum_func_predict_day, 56189},
      {uniffi_nerith_uniffi_checksum_func_predict_range, 32402},
      {uniffi_nerith_uniffi_checksum_func_search_ports, 37425},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.checksum(), c.value);
    EXPECT_EQ(c.checksum(), c.value);
  }
}

TEST(Contract, MetadataBlobsHoldKindAndNames) {
  const std::string ns(reinterpret_cast<const char*>(UNIFFI_META_NAMESPACE_NERITH),
                       sizeof UNIFFI_META_NAMESPACE_NERITH);
  EXPECT_EQ(ns, std::string("\x06\x0dnerith_uniffi\x06nerith", 22));
  const std::string udl(reinterpret_cast<const char*>(UNIFFI_META_UDL_NERITH),
                        sizeof UNIFFI_META_UDL_NERITH);
  EXPECT_EQ(udl, std::string("\x08\x0dnerith_uniffi\x06nerith\x06nerith", 29));
}

TEST(Status, SuccessLeavesTheStatusExactlyAsTheCallerSetIt) {
  // A sentinel error_buf shows that nothing is written, not even zeros.
  const RustCallStatus sentinel{0, {7, 3, fake_pointer()}};
  RustCallStatus status = sentinel;
  take(ffi_nerith_uniffi_rustbuffer_alloc(3, &status));
  take(ffi_nerith_uniffi_rustbuffer_reserve(ffi_nerith_uniffi_rustbuffer_alloc(1, &status), 9,
                                            &status));
  ffi_nerith_uniffi_rustbuffer_free({0, 0, nullptr}, &status);
  take(uniffi_nerith_uniffi_fn_func_get_port(lend("FR-BREST"), &status));
  uniffi_nerith_uniffi_fn_func_height_at(lend("FR-BREST"), 1767268800, &status);
  EXPECT_EQ(std::memcmp(&status, &sentinel, sizeof status), 0);
}

TEST(Status, ANullStatusPointerIsSurvived) {
  EXPECT_TRUE(is_zero(ffi_nerith_uniffi_rustbuffer_alloc(std::uint64_t{1} << 63, nullptr)));
  EXPECT_EQ(uniffi_nerith_uniffi_fn_func_height_at(lend("XX"), 0, nullptr), 0.0);
  take(ffi_nerith_uniffi_rustbuffer_alloc(2, nullptr));
}

// Every complete function returns its zero value with status 2; no handle is
// ever followed.
template <class Result>
void expect_complete_fails(Result (*complete)(std::uint64_t, RustCallStatus*)) {
  for (const std::uint64_t handle : {std::uint64_t{0}, std::uint64_t{0xDEADBEEF}}) {
    RustCallStatus status{};
    if constexpr (std::is_same_v<Result, RustBuffer>) {
      EXPECT_TRUE(is_zero(complete(handle, &status)));
    } else if constexpr (std::is_void_v<Result>) {
      complete(handle, &status);
    } else {
      EXPECT_EQ(complete(handle, &status), Result{});
    }
    const Outcome outcome = outcome_of(status);
    EXPECT_EQ(outcome.code, 2);
    EXPECT_NE(outcome.message().find("no asynchronous functions"), std::string::npos);
  }
}

template <class Result>
void exercise_future(void (*poll)(std::uint64_t, UniffiRustFutureContinuationCallback,
                                  std::uint64_t),
                     void (*cancel)(std::uint64_t),
                     Result (*complete)(std::uint64_t, RustCallStatus*),
                     void (*free)(std::uint64_t)) {
  for (const std::uint64_t handle : {std::uint64_t{0}, std::uint64_t{0xDEADBEEF}}) {
    poll(handle, nullptr, 7);
    cancel(handle);
    free(handle);
  }
  expect_complete_fails(complete);
}

#define NERITH_FUTURE(suffix)                                      \
  exercise_future(ffi_nerith_uniffi_rust_future_poll_##suffix,     \
                  ffi_nerith_uniffi_rust_future_cancel_##suffix,   \
                  ffi_nerith_uniffi_rust_future_complete_##suffix, \
                  ffi_nerith_uniffi_rust_future_free_##suffix)

TEST(Futures, NoHandleIsEverFollowed) {
  NERITH_FUTURE(u8);
  NERITH_FUTURE(i8);
  NERITH_FUTURE(u16);
  NERITH_FUTURE(i16);
  NERITH_FUTURE(u32);
  NERITH_FUTURE(i32);
  NERITH_FUTURE(u64);
  NERITH_FUTURE(i64);
  NERITH_FUTURE(f32);
  NERITH_FUTURE(f64);
  NERITH_FUTURE(pointer);
  NERITH_FUTURE(rust_buffer);
  NERITH_FUTURE(void);
}

}  // namespace
}  // namespace nerith::uniffi::testing
