// The seven query functions of libnerith_uniffi.so, byte for byte.
// Custom stations live for the whole process: every test adds its own ids.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "client.hpp"
#include "nerith_uniffi.h"

namespace nerith::uniffi::testing {
namespace {

constexpr std::int64_t kNewYear2026 = 1767225600;  // 2026-01-01T00:00:00Z

Bytes get_port(std::string_view id) {
  RustCallStatus status{};
  const Bytes result = take(uniffi_nerith_uniffi_fn_func_get_port(lend(id), &status));
  EXPECT_EQ(status.code, 0);
  return result;
}

Outcome add_port(const Bytes& port) {
  RustCallStatus status{};
  uniffi_nerith_uniffi_fn_func_add_custom_port(lend(port), &status);
  return outcome_of(status);
}

// Runs first (tests run in declaration order) so that no custom station
// exists yet when the whole binary runs in one process.
TEST(Query, ListPortsCountsTheTwentyBuiltInStationsBrestFirst) {
  RustCallStatus status{};
  const Bytes listed = take(uniffi_nerith_uniffi_fn_func_list_ports(&status));
  ASSERT_EQ(status.code, 0);
  ASSERT_GE(listed.size(), 4u);
  EXPECT_EQ(Bytes(listed.begin(), listed.begin() + 4), (Bytes{0, 0, 0, 0x14}));
  Decoder in(listed);
  const std::int32_t count = in.i32();
  EXPECT_EQ(read_port(in).id, "FR-BREST");
  for (std::int32_t i = 1; i < count; ++i) read_port(in);
  EXPECT_EQ(in.remaining(), 0u);

  // An empty query matches every station, in list order.
  const Bytes searched = take(uniffi_nerith_uniffi_fn_func_search_ports(lend(""), &status));
  EXPECT_EQ(searched, listed);
}

TEST(Query, SearchPortsLowersTheMatchesInOrder) {
  RustCallStatus status{};
  Decoder in(take(uniffi_nerith_uniffi_fn_func_search_ports(lend("golfe du morbihan"), &status)));
  EXPECT_EQ(status.code, 0);
  ASSERT_EQ(in.i32(), 2);
  EXPECT_EQ(read_port(in).id, "FR-PORT-NAVALO");
  EXPECT_EQ(read_port(in).id, "FR-ARRADON");
  EXPECT_EQ(in.remaining(), 0u);

  // Bytes that are not UTF-8 are passed on and simply match nothing.
  Decoder none(take(uniffi_nerith_uniffi_fn_func_search_ports(lend("\xFF\xFE"), &status)));
  EXPECT_EQ(status.code, 0);
  EXPECT_EQ(none.i32(), 0);
}

TEST(Query, GetPortLowersAnOptional) {
  Decoder in(get_port("FR-BREST"));
  EXPECT_EQ(in.u8(), 1);
  const PortView brest = read_port(in);
  EXPECT_EQ(brest.id, "FR-BREST");
  EXPECT_EQ(brest.constituents, 13);
  EXPECT_EQ(in.remaining(), 0u);

  EXPECT_EQ(get_port("fr-brest"), Bytes{0});
  EXPECT_EQ(get_port(""), Bytes{0});
}

TEST(Query, HeightAtReturnsMetresOrPortNotFound) {
  RustCallStatus status{};
  const double height =
      uniffi_nerith_uniffi_fn_func_height_at(lend("FR-BREST"), kNewYear2026, &status);
  EXPECT_EQ(status.code, 0);
  EXPECT_TRUE(std::isfinite(height));
  EXPECT_LT(std::abs(height), 10.0);

  EXPECT_EQ(uniffi_nerith_uniffi_fn_func_height_at(lend("XX"), kNewYear2026, &status), 0.0);
  const Outcome outcome = outcome_of(status);
  EXPECT_EQ(outcome.code, 1);
  EXPECT_EQ(outcome.error, (Bytes{0, 0, 0, 1, 0, 0, 0, 2, 0x58, 0x58}));
}

TEST(Query, PredictDayLowersTheWholeDay) {
  RustCallStatus status{};
  Decoder in(take(
      uniffi_nerith_uniffi_fn_func_predict_day(lend("FR-BREST"), lend("2026-01-01"), &status)));
  ASSERT_EQ(status.code, 0);
  EXPECT_EQ(in.string(), "FR-BREST");
  EXPECT_EQ(in.string(), "2026-01-01");
  const std::int32_t extremes = in.i32();
  EXPECT_GE(extremes, 3);
  EXPECT_LE(extremes, 5);
  int graded = 0;
  for (std::int32_t i = 0; i < extremes; ++i) {
    const std::int64_t time = in.i64();
    EXPECT_GE(time, kNewYear2026);
    EXPECT_LT(time, kNewYear2026 + 86400);
    in.f64();
    const bool high = in.boolean();
    if (in.u8() == 1) {
      EXPECT_TRUE(high);  // only high waters carry a coefficient
      const std::uint8_t coefficient = in.u8();
      EXPECT_GE(coefficient, 20);
      EXPECT_LE(coefficient, 120);
      ++graded;
    }
  }
  EXPECT_GE(graded, 1);  // Brest is on the Atlantic coast
  ASSERT_EQ(in.i32(), 145);
  for (std::int64_t i = 0; i < 145; ++i) {
    EXPECT_EQ(in.i64(), kNewYear2026 + 600 * i);
    in.f64();
  }
  EXPECT_EQ(in.remaining(), 0u);
}

TEST(Query, PredictionErrorsBecomeTideErrors) {
  struct Case {
    const char* id;
    const char* first;
    const char* last;  // nullptr: predict_day
    Bytes error;
  };
  const Case cases[] = {
      {"FR-BREST", "2026-13-01", nullptr, tide_error(2, "2026-13-01")},
      {"XX", "2026-13-01", nullptr, tide_error(1, "XX")},
      {"FR-BREST", "2026-01-03", "2026-01-01", tide_error(2, "2026-01-03 > 2026-01-01")},
      {"XX", "2026-01-01", "2026-01-02", tide_error(1, "XX")},
      {"FR-BREST", "2026-01-01", "2026-02-30", tide_error(2, "2026-02-30")},
  };
  for (const Case& c : cases) {
    RustCallStatus status{};
    const RustBuffer result =
        c.last == nullptr
            ? uniffi_nerith_uniffi_fn_func_predict_day(lend(c.id), lend(c.first), &status)
            : uniffi_nerith_uniffi_fn_func_predict_range(lend(c.id), lend(c.first), lend(c.last),
                                                         &status);
    EXPECT_TRUE(is_zero(result));
    take(result);  // freeing the zero value of a failed call succeeds
    const Outcome outcome = outcome_of(status);
    EXPECT_EQ(outcome.code, 1) << c.first;
    EXPECT_EQ(outcome.error, c.error) << c.first;
  }
}

TEST(Query, PredictRangeOfOneDayHoldsThatDay) {
  RustCallStatus status{};
  Decoder in(take(uniffi_nerith_uniffi_fn_func_predict_range(lend("FR-BREST"), lend("2026-1-5"),
                                                             lend("2026-01-05"), &status)));
  ASSERT_EQ(status.code, 0);
  ASSERT_EQ(in.i32(), 1);
  EXPECT_EQ(in.string(), "FR-BREST");
  EXPECT_EQ(in.string(), "2026-01-05");
}

TEST(Query, AddCustomPortRejectsTakenIdsAndKeepsNewOnesExactly) {
  Outcome outcome = add_port(port_bytes("FR-BREST"));
  EXPECT_EQ(outcome.code, 1);
  EXPECT_EQ(outcome.error, tide_error(3, "DuplicateId(\"FR-BREST\")"));

  const Bytes port = port_bytes("TEST-QUERY-NEW", "Île de Test");
  outcome = add_port(port);
  EXPECT_EQ(outcome.code, 0);
  EXPECT_TRUE(outcome.error.empty());
  Bytes expected{1};
  expected.insert(expected.end(), port.begin(), port.end());
  EXPECT_EQ(get_port("TEST-QUERY-NEW"), expected);

  outcome = add_port(port);
  EXPECT_EQ(outcome.code, 1);
  EXPECT_EQ(outcome.error, tide_error(3, "DuplicateId(\"TEST-QUERY-NEW\")"));

  // A custom station is predicted like a built-in one.
  RustCallStatus status{};
  take(uniffi_nerith_uniffi_fn_func_predict_day(lend("TEST-QUERY-NEW"), lend("2026-01-01"),
                                                &status));
  EXPECT_EQ(status.code, 0);
}

TEST(Query, AddCustomPortAcceptsAStationWithoutConstituents) {
  EXPECT_EQ(add_port(port_bytes("TEST-QUERY-BARE", "Bare", 0)).code, 0);
  Decoder in(get_port("TEST-QUERY-BARE"));
  EXPECT_EQ(in.u8(), 1);
  EXPECT_EQ(read_port(in).constituents, 0);
}

// A Port that cannot be read is reported with the reading error behind the
// argument's name, and nothing is added.
TEST(Query, UnreadablePortsAreReportedAndNotAdded) {
  const Bytes port = port_bytes("TEST-QUERY-BAD");
  const auto cut = [&](std::size_t size) { return Bytes(port.begin(), port.begin() + size); };
  Bytes junk = port;
  junk.insert(junk.end(), {0xAB, 0xCD});
  Bytes five_junk = port;
  five_junk.insert(five_junk.end(), 5, 0);
  Bytes not_boolean = port;
  // id (4 + 14) + name (4 + 6) + three f64 = 52 bytes before atlantic_coast.
  not_boolean[52] = 2;
  Bytes negative_count = cut(53);
  negative_count.insert(negative_count.end(), {0xFF, 0xFF, 0xFF, 0xFE});
  Bytes huge_count = cut(53);
  huge_count.insert(huge_count.end(), {0x7F, 0xFF, 0xFF, 0xFF});

  struct Case {
    Bytes bytes;
    std::string reason;
  };
  const Case cases[] = {
      {junk, "junk data left in buffer after lifting (count: 2)"},
      {five_junk, "junk data left in buffer after lifting (count: 5)"},
      {cut(4 + 14 + 4 + 6 + 3), "not enough bytes remaining in buffer (3 < 8)"},
      {cut(2), "not enough bytes remaining in buffer (2 < 4)"},
      {cut(10), "not enough bytes remaining in buffer (6 < 14)"},
      {not_boolean, "unexpected byte for Boolean"},
      {Encoder().raw({0xFF, 0xFF, 0xFF, 0xFF}).bytes(),
       "out of range integral type conversion attempted"},
      {negative_count, "out of range integral type conversion attempted"},
      {huge_count, "not enough bytes remaining in buffer (0 < 4)"},
      {{}, "not enough bytes remaining in buffer (0 < 4)"},
  };
  for (const Case& c : cases) {
    const Outcome outcome = add_port(c.bytes);
    EXPECT_EQ(outcome.code, 2);
    EXPECT_EQ(outcome.message(), "Failed to convert arg 'port': " + c.reason);
  }
  EXPECT_EQ(get_port("TEST-QUERY-BAD"), Bytes{0});
}

// Ill-formed UTF-8 in a lifted text: the index of the first bad sequence and
// the length of its maximal ill-formed subpart, or an incomplete sequence.
TEST(Query, LiftedTextsMustBeUtf8) {
  struct Case {
    std::string id;
    std::string reason;  // empty: well formed
  };
  const Case cases[] = {
      {"TEST-UTF8-\xC3\xA9\xF0\x9F\x8C\x8A\xEF\xBF\xBD", ""},
      {"TEST-UTF8-\xF4\x8F\xBF\xBF", ""},  // U+10FFFF
      {"TEST-UTF8-\xED\x9F\xBF", ""},      // U+D7FF
      {"\x80", "invalid utf-8 sequence of 1 bytes from index 0"},
      {"ab\xC0\x80", "invalid utf-8 sequence of 1 bytes from index 2"},    // overlong
      {"\xC1\xBF", "invalid utf-8 sequence of 1 bytes from index 0"},      // overlong
      {"\xE0\x80\x80", "invalid utf-8 sequence of 1 bytes from index 0"},  // overlong
      {"\xED\xA0\x80", "invalid utf-8 sequence of 1 bytes from index 0"},  // surrogate
      {"\xF0\x8F\xBF\xBF", "invalid utf-8 sequence of 1 bytes from index 0"},
      {"\xF4\x90\x80\x80", "invalid utf-8 sequence of 1 bytes from index 0"},  // > U+10FFFF
      {"\xF5\x80\x80\x80", "invalid utf-8 sequence of 1 bytes from index 0"},
      {"\xFF", "invalid utf-8 sequence of 1 bytes from index 0"},
      {"\xC3(", "invalid utf-8 sequence of 1 bytes from index 0"},
      {"x\xE2\x82(", "invalid utf-8 sequence of 2 bytes from index 1"},
      {"\xF0\x9F\x8C(", "invalid utf-8 sequence of 3 bytes from index 0"},
      {"\xC3\xA9\xC3", "incomplete utf-8 byte sequence from index 2"},
      {"\xE2\x82", "incomplete utf-8 byte sequence from index 0"},
      {"ab\xF0\x9F\x8C", "incomplete utf-8 byte sequence from index 2"},
      {"\xF0", "incomplete utf-8 byte sequence from index 0"},
  };
  for (const Case& c : cases) {
    const Outcome outcome = add_port(port_bytes(c.id));
    if (c.reason.empty()) {
      EXPECT_EQ(outcome.code, 0) << outcome.message();
    } else {
      EXPECT_EQ(outcome.code, 2);
      EXPECT_EQ(outcome.message(), "Failed to convert arg 'port': " + c.reason);
    }
  }

  // The index counts within the text, wherever it sits in the record.
  const Bytes bad_constituent = Encoder()
                                    .string("TEST-UTF8-CONSTITUENT")
                                    .string("Name")
                                    .f64(0)
                                    .f64(0)
                                    .f64(0)
                                    .u8(0)
                                    .i32(1)
                                    .string("M\xE2")
                                    .f64(1)
                                    .f64(2)
                                    .bytes();
  EXPECT_EQ(add_port(bad_constituent).message(),
            "Failed to convert arg 'port': incomplete utf-8 byte sequence from index 1");
}

TEST(Query, MalformedArgumentBuffersAreReportedAndTheOthersReleased) {
  RustCallStatus status{};
  EXPECT_TRUE(is_zero(uniffi_nerith_uniffi_fn_func_get_port({0, 3, nullptr}, &status)));
  Outcome outcome = outcome_of(status);
  EXPECT_EQ(outcome.code, 2);
  EXPECT_EQ(outcome.message(), "null RustBuffer had non-zero length");

  // The well-formed first and last arguments are released all the same
  // (the leak checkers would see them otherwise).
  EXPECT_TRUE(is_zero(uniffi_nerith_uniffi_fn_func_predict_range(lend("FR-BREST"), {2, 0, nullptr},
                                                                 lend("2026-01-01"), &status)));
  outcome = outcome_of(status);
  EXPECT_EQ(outcome.code, 2);
  EXPECT_EQ(outcome.message(), "null RustBuffer had non-zero capacity");

  uniffi_nerith_uniffi_fn_func_add_custom_port({0, 1, nullptr}, &status);
  outcome = outcome_of(status);
  EXPECT_EQ(outcome.code, 2);
  EXPECT_EQ(outcome.message(), "null RustBuffer had non-zero length");
}

TEST(Query, ArgumentsAsPythonBindingsSendThem) {
  // Python lowers a text into alloc(16) with len set to what it wrote, so the
  // argument's capacity exceeds its length.
  RustCallStatus status{};
  RustBuffer id = ffi_nerith_uniffi_rustbuffer_alloc(16, &status);
  std::memcpy(id.data, "FR-BREST", 8);
  id.len = 8;
  Decoder in(take(uniffi_nerith_uniffi_fn_func_get_port(id, &status)));
  EXPECT_EQ(status.code, 0);
  EXPECT_EQ(in.u8(), 1);
  EXPECT_EQ(read_port(in).id, "FR-BREST");
  // The zero buffer and the empty buffer are both the empty text.
  EXPECT_EQ(take(uniffi_nerith_uniffi_fn_func_get_port({0, 0, nullptr}, &status)), Bytes{0});
  EXPECT_EQ(status.code, 0);
}

}  // namespace
}  // namespace nerith::uniffi::testing
