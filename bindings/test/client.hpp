// Calls nerith's UniFFI libraries the way generated bindings do: arguments in
// library-made buffers, a fresh RustCallStatus per call, big-endian decoding,
// every returned buffer freed.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "nerith_full_uniffi.h"
#include "nerith_uniffi.h"

namespace nerith::uniffi::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes bytes_of(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

inline std::string text_of(const Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// The buffer functions of one library, through which its arguments are
// lent and its results taken back.
struct BufferFunctions {
  const char* crate;
  RustBuffer (*alloc)(std::uint64_t, RustCallStatus*);
  RustBuffer (*from_bytes)(ForeignBytes, RustCallStatus*);
  void (*free)(RustBuffer, RustCallStatus*);
  RustBuffer (*reserve)(RustBuffer, std::uint64_t, RustCallStatus*);
};

inline constexpr BufferFunctions kNerith{
    "nerith_uniffi", ffi_nerith_uniffi_rustbuffer_alloc, ffi_nerith_uniffi_rustbuffer_from_bytes,
    ffi_nerith_uniffi_rustbuffer_free, ffi_nerith_uniffi_rustbuffer_reserve};
inline constexpr BufferFunctions kFull{
    "nerith_full_uniffi", ffi_nerith_full_uniffi_rustbuffer_alloc,
    ffi_nerith_full_uniffi_rustbuffer_from_bytes, ffi_nerith_full_uniffi_rustbuffer_free,
    ffi_nerith_full_uniffi_rustbuffer_reserve};

// A buffer holding a copy of `bytes`, made by the library.
inline RustBuffer lend(const BufferFunctions& library, const Bytes& bytes) {
  RustCallStatus status{};
  const RustBuffer buffer =
      library.from_bytes({static_cast<std::int32_t>(bytes.size()), bytes.data()}, &status);
  EXPECT_EQ(status.code, 0);
  return buffer;
}
inline RustBuffer lend(const Bytes& bytes) {
  return lend(kNerith, bytes);
}
inline RustBuffer lend(std::string_view text) {
  return lend(bytes_of(text));
}

// The buffer's bytes; the buffer is freed.
inline Bytes take(const BufferFunctions& library, RustBuffer buffer) {
  Bytes bytes;
  if (buffer.len > 0) bytes.assign(buffer.data, buffer.data + buffer.len);
  RustCallStatus status{};
  library.free(buffer, &status);
  EXPECT_EQ(status.code, 0);
  return bytes;
}
inline Bytes take(RustBuffer buffer) {
  return take(kNerith, buffer);
}

// What a call left in its status: the code and the error_buf's bytes (freed).
struct Outcome {
  std::int8_t code;
  Bytes error;

  std::string message() const { return text_of(error); }
};

inline Outcome outcome_of(const BufferFunctions& library, RustCallStatus& status) {
  if (status.code == 2) {
    // An unexpected failure's message fills its buffer exactly.
    EXPECT_EQ(status.error_buf.capacity, status.error_buf.len);
  }
  return {status.code, take(library, status.error_buf)};
}
inline Outcome outcome_of(RustCallStatus& status) {
  return outcome_of(kNerith, status);
}

inline bool is_zero(const RustBuffer& buffer) {
  return buffer.capacity == 0 && buffer.len == 0 && buffer.data == nullptr;
}

// Big-endian encoder for argument records.
class Encoder {
 public:
  Encoder& u8(std::uint8_t value) {
    bytes_.push_back(value);
    return *this;
  }
  Encoder& i32(std::int32_t value) { return big_endian(static_cast<std::uint32_t>(value), 4); }
  Encoder& f64(double value) { return big_endian(std::bit_cast<std::uint64_t>(value), 8); }
  Encoder& string(std::string_view text) {
    i32(static_cast<std::int32_t>(text.size()));
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    return *this;
  }
  Encoder& raw(const Bytes& bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
  }
  const Bytes& bytes() const { return bytes_; }

 private:
  Encoder& big_endian(std::uint64_t value, int width) {
    for (int shift = 8 * (width - 1); shift >= 0; shift -= 8) {
      bytes_.push_back(static_cast<std::uint8_t>(value >> shift));
    }
    return *this;
  }
  Bytes bytes_;
};

// A custom port with one or two constituents, as its wire bytes.
inline Bytes port_bytes(std::string_view id, std::string_view name = "Custom",
                        int constituents = 2) {
  Encoder out;
  out.string(id).string(name).f64(47.5).f64(-3.25).f64(3.1).u8(1).i32(constituents);
  if (constituents >= 1) out.string("M2").f64(1.5).f64(120.0);
  if (constituents >= 2) out.string("S2").f64(0.5).f64(160.0);
  return out.bytes();
}

// Big-endian decoder for results; fails the test on running short.
class Decoder {
 public:
  explicit Decoder(Bytes bytes) : bytes_(std::move(bytes)) {}

  std::uint8_t u8() { return next(); }
  bool boolean() {
    const std::uint8_t byte = next();
    EXPECT_LE(byte, 1);
    return byte == 1;
  }
  std::int32_t i32() { return static_cast<std::int32_t>(big_endian(4)); }
  std::int64_t i64() { return static_cast<std::int64_t>(big_endian(8)); }
  double f64() { return std::bit_cast<double>(big_endian(8)); }
  std::string string() {
    const std::int32_t length = i32();
    std::string text;
    for (std::int32_t i = 0; i < length; ++i) text.push_back(static_cast<char>(next()));
    return text;
  }
  std::size_t remaining() const { return bytes_.size() - at_; }

 private:
  std::uint8_t next() {
    if (at_ >= bytes_.size()) {
      ADD_FAILURE() << "result shorter than its encoding";
      return 0;
    }
    return bytes_[at_++];
  }
  std::uint64_t big_endian(int width) {
    std::uint64_t value = 0;
    for (int i = 0; i < width; ++i) value = (value << 8) | next();
    return value;
  }
  Bytes bytes_;
  std::size_t at_ = 0;
};

// A Port read field by field; the decoder is left after it.
struct PortView {
  std::string id;
  std::string name;
  int constituents;
};

inline PortView read_port(Decoder& in) {
  PortView port{in.string(), in.string(), 0};
  in.f64();
  in.f64();
  in.f64();
  in.boolean();
  port.constituents = in.i32();
  for (int i = 0; i < port.constituents; ++i) {
    in.string();
    in.f64();
    in.f64();
  }
  return port;
}

// The bytes of a TideError: variant number, then the message.
inline Bytes tide_error(std::int32_t variant, std::string_view message) {
  return Encoder().i32(variant).string(message).bytes();
}

}  // namespace nerith::uniffi::testing
