// Reading values out of an argument buffer, in the wire form common/wire.hpp
// writes: a cursor that keeps its first fault, with the messages the
// generated bindings' own readers give.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace nerith::uniffi::wire {

// Where the first ill-formed sequence starts, and the length of its maximal
// ill-formed subpart (1 to 3 bytes), or none when the text ends inside a
// sequence that was well formed so far.
struct Utf8Error {
  std::size_t valid_up_to;
  std::optional<std::size_t> error_len;
};

std::optional<Utf8Error> check_utf8(std::span<const std::uint8_t> s);

// A cursor over the bytes of one argument buffer. The first fault is kept,
// with the message the generated bindings' own readers give; from then on
// every read gives a zero value and takes nothing, so a record's reader need
// only stop its loops once failed().
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : rest_(bytes) {}

  std::size_t remaining() const { return rest_.size(); }
  bool failed() const { return fault_.has_value(); }

  // The first fault, or, when every byte has been read, nothing.
  std::optional<std::string> finish();

  // `count` bytes, or none once failed.
  std::span<const std::uint8_t> take(std::size_t count) {
    if (failed()) return {};
    if (rest_.size() < count) {
      fail("not enough bytes remaining in buffer (" + std::to_string(rest_.size()) + " < " +
           std::to_string(count) + ")");
      return {};
    }
    const auto head = rest_.first(count);
    rest_ = rest_.subspan(count);
    return head;
  }

  template <class Unsigned>
  Unsigned big_endian() {
    Unsigned value = 0;
    for (const std::uint8_t byte : take(sizeof(Unsigned))) value = (value << 8) | byte;
    return value;
  }

  std::int32_t i32() { return static_cast<std::int32_t>(big_endian<std::uint32_t>()); }
  double f64() { return std::bit_cast<double>(big_endian<std::uint64_t>()); }

  bool boolean() {
    const auto byte = take(1);
    if (byte.empty()) return false;
    if (byte[0] > 1) fail("unexpected byte for Boolean");
    return byte[0] == 1;
  }

  // The variant number of an enumeration of `count` variants, counted from
  // 1 (1 once failed).
  std::int32_t variant(std::string_view enumeration, std::int32_t count);

  // The i32 in front of a string or a sequence.
  std::size_t length() {
    const std::int32_t length = i32();
    if (length < 0) {
      fail("out of range integral type conversion attempted");
      return 0;
    }
    return static_cast<std::size_t>(length);
  }

  std::string string();

 private:
  // Keeps the first fault only.
  void fail(std::string message) {
    if (!fault_) fault_ = std::move(message);
  }

  std::span<const std::uint8_t> rest_;
  std::optional<std::string> fault_;
};

// The value `read` takes from `bytes`, which it must fill exactly, or the
// reading message.
template <class Read>
auto lift(std::span<const std::uint8_t> bytes, Read read)
    -> std::expected<decltype(read(std::declval<Reader&>())), std::string> {
  Reader in(bytes);
  auto value = read(in);
  if (auto fault = in.finish()) return std::unexpected(std::move(*fault));
  return value;
}

}  // namespace nerith::uniffi::wire
