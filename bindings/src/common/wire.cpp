#include "wire.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <limits>
#include <utility>

namespace nerith::uniffi::wire {
namespace {

constexpr std::size_t kMaxLength = std::numeric_limits<std::int32_t>::max();

template <class Unsigned>
void write_big_endian(ByteBuffer& out, Unsigned value) {
  std::uint8_t* bytes = out.extend(sizeof(Unsigned));
  for (std::size_t i = sizeof(Unsigned); i-- > 0; value >>= 8) {
    bytes[i] = static_cast<std::uint8_t>(value & 0xFF);
  }
}

// Where the first ill-formed sequence starts, and the length of its maximal
// ill-formed subpart (1 to 3 bytes), or none when the text ends inside a
// sequence that was well formed so far.
struct Utf8Error {
  std::size_t valid_up_to;
  std::optional<std::size_t> error_len;
};

std::optional<Utf8Error> check_utf8(std::span<const std::uint8_t> s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const std::uint8_t first = s[i];
    if (first < 0x80) {
      ++i;
      continue;
    }
    // C0, C1 and F5..FF never start a sequence; continuation bytes neither.
    const std::size_t width = first >= 0xC2 && first <= 0xDF   ? 2
                              : first >= 0xE0 && first <= 0xEF ? 3
                              : first >= 0xF0 && first <= 0xF4 ? 4
                                                               : 0;
    if (width == 0) return Utf8Error{i, 1};
    // The second byte's range excludes overlong forms (E0, F0), surrogates
    // (ED) and code points above U+10FFFF (F4).
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;
    if (first == 0xE0) low = 0xA0;
    if (first == 0xED) high = 0x9F;
    if (first == 0xF0) low = 0x90;
    if (first == 0xF4) high = 0x8F;
    for (std::size_t k = 1; k < width; ++k) {
      if (i + k >= s.size()) return Utf8Error{i, std::nullopt};
      const std::uint8_t byte = s[i + k];
      const bool fits = k == 1 ? byte >= low && byte <= high : byte >= 0x80 && byte <= 0xBF;
      if (!fits) return Utf8Error{i, k};
    }
    i += width;
  }
  return std::nullopt;
}

// A reading failure; never escapes lift_port.
struct ReadError {
  std::string message;
};

// A cursor over the bytes of one argument buffer.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : rest_(bytes) {}

  std::size_t remaining() const { return rest_.size(); }

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

ports::HarmonicConstituent read_constituent(Reader& in) {
  ports::HarmonicConstituent constituent;
  constituent.name = in.string();
  constituent.amplitude = in.f64();
  constituent.phase_lag = in.f64();
  return constituent;
}

ports::Port read_port(Reader& in) {
  ports::Port port;
  port.id = in.string();
  port.name = in.string();
  port.latitude = in.f64();
  port.longitude = in.f64();
  port.mean_water_level = in.f64();
  port.atlantic_coast = in.boolean();
  const std::size_t count = in.length();
  // A constituent takes at least 20 bytes: a forged count cannot make us
  // reserve more than the buffer could hold.
  port.constituents.reserve(std::min(count, in.remaining() / 20));
  for (std::size_t i = 0; i < count; ++i) port.constituents.push_back(read_constituent(in));
  return port;
}

}  // namespace

void write_u8(ByteBuffer& out, std::uint8_t value) {
  *out.extend(1) = value;
}
void write_bool(ByteBuffer& out, bool value) {
  write_u8(out, value ? 1 : 0);
}
void write_i32(ByteBuffer& out, std::int32_t value) {
  write_big_endian(out, static_cast<std::uint32_t>(value));
}
void write_i64(ByteBuffer& out, std::int64_t value) {
  write_big_endian(out, static_cast<std::uint64_t>(value));
}
void write_f64(ByteBuffer& out, double value) {
  write_big_endian(out, std::bit_cast<std::uint64_t>(value));
}

void write_string(ByteBuffer& out, std::string_view value) {
  if (value.size() > kMaxLength) {
    throw Panic("a text of " + std::to_string(value.size()) + " bytes is too long to encode");
  }
  write_i32(out, static_cast<std::int32_t>(value.size()));
  out.append({reinterpret_cast<const std::uint8_t*>(value.data()), value.size()});
}

void write_count(ByteBuffer& out, std::uint64_t count) {
  if (count > kMaxLength) {
    throw Panic("a sequence of " + std::to_string(count) + " elements is too long to encode");
  }
  write_i32(out, static_cast<std::int32_t>(count));
}

void write(ByteBuffer& out, const ports::HarmonicConstituent& constituent) {
  write_string(out, constituent.name);
  write_f64(out, constituent.amplitude);
  write_f64(out, constituent.phase_lag);
}

void write(ByteBuffer& out, const ports::Port& port) {
  write_string(out, port.id);
  write_string(out, port.name);
  write_f64(out, port.latitude);
  write_f64(out, port.longitude);
  write_f64(out, port.mean_water_level);
  write_bool(out, port.atlantic_coast);
  write(out, port.constituents);
}

void write(ByteBuffer& out, const harmonic::extremes::Extreme& extreme) {
  write_i64(out, extreme.time);
  write_f64(out, extreme.height);
  write_bool(out, extreme.is_high);
  write_u8(out, extreme.coefficient.has_value() ? 1 : 0);
  if (extreme.coefficient.has_value()) write_u8(out, *extreme.coefficient);
}

void write(ByteBuffer& out, const harmonic::engine::HeightSample& sample) {
  write_i64(out, sample.time);
  write_f64(out, sample.height);
}

void write(ByteBuffer& out, const ports::DayPrediction& prediction) {
  write_string(out, prediction.port_id);
  write_string(out, prediction.date);
  write(out, prediction.extremes);
  write(out, prediction.heights);
}

void write(ByteBuffer& out, const TideError& error) {
  write_i32(out, static_cast<std::int32_t>(error.kind));
  write_string(out, error.message);
}

std::expected<ports::Port, std::string> lift_port(std::span<const std::uint8_t> bytes) {
  try {
    Reader in(bytes);
    ports::Port port = read_port(in);
    if (in.remaining() != 0) {
      return std::unexpected(
          "junk data left in buffer after lifting (count: " + std::to_string(in.remaining()) + ")");
    }
    return port;
  } catch (ReadError& error) {
    return std::unexpected(std::move(error.message));
  }
}

}  // namespace nerith::uniffi::wire
