// Reading values out of an argument buffer, in the wire form common/wire.hpp
// writes: a cursor that throws ReadError at the first fault, with the
// messages the generated bindings' own readers give.
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

// A reading failure; the library's lift functions turn it into their error.
struct ReadError {
  std::string message;
};

// A cursor over the bytes of one argument buffer.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : rest_(bytes) {}

  std::size_t remaining() const { return rest_.size(); }

  // Throws unless every byte has been read.
  void finish() const;

  std::span<const std::uint8_t> take(std::size_t count) {
    if (rest_.size() < count) {
      throw ReadError{"not enough bytes remaining in buffer (" + std::to_string(rest_.size()) +
                      " < " + std::to_string(count) + ")"};
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
    const std::uint8_t byte = take(1)[0];
    if (byte > 1) throw ReadError{"unexpected byte for Boolean"};
    return byte == 1;
  }

  // The variant number of an enumeration of `count` variants, counted from 1.
  std::int32_t variant(std::string_view enumeration, std::int32_t count);

  // The i32 in front of a string or a sequence.
  std::size_t length() {
    const std::int32_t length = i32();
    if (length < 0) throw ReadError{"out of range integral type conversion attempted"};
    return static_cast<std::size_t>(length);
  }

  std::string string() {
    const auto bytes = take(length());
    if (const auto bad = check_utf8(bytes)) {
      throw ReadError{bad->error_len
                          ? "invalid utf-8 sequence of " + std::to_string(*bad->error_len) +
                                " bytes from index " + std::to_string(bad->valid_up_to)
                          : "incomplete utf-8 byte sequence from index " +
                                std::to_string(bad->valid_up_to)};
    }
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
  }

 private:
  std::span<const std::uint8_t> rest_;
};

// The value `read` takes from `bytes`, which it must fill exactly, or the
// reading message.
template <class Read>
auto lift(std::span<const std::uint8_t> bytes, Read read)
    -> std::expected<decltype(read(std::declval<Reader&>())), std::string> {
  try {
    Reader in(bytes);
    auto value = read(in);
    in.finish();
    return value;
  } catch (ReadError& error) {
    return std::unexpected(std::move(error.message));
  }
}

}  // namespace nerith::uniffi::wire
