// What the libFuzzer harnesses share: the library under test (either of the
// two, chosen at link time by builtin_target.cpp or full_target.cpp), buffers
// lent to and taken from it the way a foreign caller does it, a
// bounds-checked big-endian reader for answers, and the rules every
// RustCallStatus follows. A broken rule aborts, and libFuzzer keeps the input
// that led there.
#pragma once

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "libraries.hpp"

namespace nerith::fuzz {

using Bytes = std::vector<std::uint8_t>;
using uniffi::testing::BufferFunctions;
using uniffi::testing::QueryFunctions;

class Reader;

// The library a harness drives: its functions, how its station record
// reads, and what it needs before the first input.
struct Target {
  const QueryFunctions& queries;
  std::string (*read_station)(Reader& in);  // returns the station's id
  void (*prepare)();

  const BufferFunctions& buffers() const { return queries.buffers; }
};

// Defined by the one target file the harness is linked with.
const Target& target();

[[noreturn]] inline void violation(std::string_view what) {
  std::fprintf(stderr, "\nnerith fuzz: %.*s\n", static_cast<int>(what.size()), what.data());
  std::abort();
}

inline void require(bool condition, std::string_view what) {
  if (!condition) violation(what);
}

inline std::span<const std::uint8_t> bytes_of(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

inline std::string text_of(std::span<const std::uint8_t> bytes) {
  return std::string(bytes.begin(), bytes.end());
}

inline bool is_zero(const RustBuffer& buffer) {
  return buffer.capacity == 0 && buffer.len == 0 && buffer.data == nullptr;
}

// A library-made buffer holding a copy of `bytes`.
inline RustBuffer lend(std::span<const std::uint8_t> bytes) {
  RustCallStatus status{};
  const RustBuffer buffer = target().buffers().from_bytes(
      {static_cast<std::int32_t>(bytes.size()), bytes.data()}, &status);
  require(status.code == 0, "rustbuffer_from_bytes refused well-formed bytes");
  return buffer;
}
inline RustBuffer lend(std::string_view text) {
  return lend(bytes_of(text));
}

// The bytes of a buffer the library handed over; the buffer is freed.
inline Bytes take(const RustBuffer& buffer) {
  require(buffer.len <= buffer.capacity, "a returned buffer's length exceeds its capacity");
  require(buffer.data != nullptr || buffer.capacity == 0, "a returned buffer has no storage");
  Bytes bytes;
  if (buffer.len > 0) bytes.assign(buffer.data, buffer.data + buffer.len);
  RustCallStatus status{};
  target().buffers().free(buffer, &status);
  require(status.code == 0, "rustbuffer_free refused a buffer the library made");
  return bytes;
}

// What a call left in its status. Success leaves it exactly as the caller
// set it; code 1 carries a TideError; code 2 a message that fills its buffer.
struct Failure {
  std::int8_t code = 0;
  Bytes error;

  std::string message() const { return text_of(error); }
};

inline Failure settle(const RustCallStatus& status) {
  switch (status.code) {
    case 0:
      require(is_zero(status.error_buf), "a successful call wrote error_buf");
      return {};
    case 1:
      require(status.error_buf.len > 0, "code 1 without a TideError");
      break;
    case 2:
      require(status.error_buf.len > 0, "code 2 without a message");
      require(status.error_buf.capacity == status.error_buf.len,
              "a failure message does not fill its buffer");
      break;
    default:
      violation("status code other than 0, 1 or 2");
  }
  return {status.code, take(status.error_buf)};
}

// A big-endian cursor over an answer; running short is a violation.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : rest_(bytes) {}

  std::size_t remaining() const { return rest_.size(); }
  std::span<const std::uint8_t> raw(std::size_t count) {
    require(count <= rest_.size(), "an answer is shorter than its encoding");
    const auto piece = rest_.first(count);
    rest_ = rest_.subspan(count);
    return piece;
  }
  std::uint8_t u8() { return raw(1)[0]; }
  bool boolean() {
    const std::uint8_t byte = u8();
    require(byte <= 1, "a boolean byte other than 0 or 1");
    return byte == 1;
  }
  std::int32_t i32() { return static_cast<std::int32_t>(big_endian(4)); }
  std::int64_t i64() { return static_cast<std::int64_t>(big_endian(8)); }
  double f64() { return std::bit_cast<double>(big_endian(8)); }
  std::int32_t count() {
    const std::int32_t n = i32();
    require(n >= 0, "a negative length or count");
    return n;
  }
  std::string string() { return text_of(raw(static_cast<std::size_t>(count()))); }

 private:
  std::uint64_t big_endian(std::size_t width) {
    std::uint64_t value = 0;
    for (const std::uint8_t byte : raw(width)) value = (value << 8) | byte;
    return value;
  }
  std::span<const std::uint8_t> rest_;
};

// A lowered sequence of the target's station records; returns their ids.
inline std::vector<std::string> read_stations(std::span<const std::uint8_t> bytes) {
  Reader in(bytes);
  std::vector<std::string> ids;
  for (std::int32_t n = in.count(); n > 0; --n) ids.push_back(target().read_station(in));
  require(in.remaining() == 0, "bytes left after a sequence of stations");
  return ids;
}

// A lowered TideError: its variant number and message, filling the bytes.
struct TideError {
  std::int32_t variant;
  std::string message;

  friend bool operator==(const TideError&, const TideError&) = default;
};

inline TideError read_tide_error(std::span<const std::uint8_t> bytes) {
  Reader in(bytes);
  TideError error{in.i32(), ""};
  error.message = in.string();
  require(in.remaining() == 0, "bytes left after a TideError");
  require(error.variant >= 1 && error.variant <= target().queries.error_variants,
          "a TideError variant the library does not have");
  return error;
}

// A lowered DayPrediction, checked against what any day must hold: its two
// texts, high and low waters inside the day in time order at least 30
// minutes apart (a coefficient only on a high water, 20 to 120), and 145
// heights every 10 minutes from `start`.
inline void read_day(Reader& in, std::string_view port_id, std::string_view date,
                     std::int64_t start) {
  require(in.string() == port_id, "a day's port_id is not the identifier passed");
  require(in.string() == date, "a day's date is not the expected text");
  std::int64_t previous = 0;
  for (std::int32_t n = in.count(), i = 0; i < n; ++i) {
    const std::int64_t time = in.i64();
    require(time >= start && time - start < 86400, "an extreme outside its day");
    require(i == 0 || time - previous >= 1800, "extremes closer than 30 minutes or out of order");
    previous = time;
    in.f64();
    const bool high = in.boolean();
    const std::uint8_t present = in.u8();
    require(present <= 1, "an optional flag other than 0 or 1");
    if (present == 1) {
      const std::uint8_t coefficient = in.u8();
      require(high, "a coefficient on a low water");
      require(coefficient >= 20 && coefficient <= 120, "a coefficient outside 20 to 120");
    }
  }
  require(in.count() == 145, "a day without 145 heights");
  for (std::int64_t i = 0; i < 145; ++i) {
    require(in.i64() == start + 600 * i, "heights not every 10 minutes from midnight");
    in.f64();
  }
}

}  // namespace nerith::fuzz
