#include "common/wire.hpp"

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
  if (bytes == nullptr) return;
  for (std::size_t i = sizeof(Unsigned); i-- > 0; value >>= 8) {
    bytes[i] = static_cast<std::uint8_t>(value & 0xFF);
  }
}

}  // namespace

void write_u8(ByteBuffer& out, std::uint8_t value) {
  if (std::uint8_t* byte = out.extend(1)) *byte = value;
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
    out.fail({"a text of " + std::to_string(value.size()) + " bytes is too long to encode"});
    return;
  }
  write_i32(out, static_cast<std::int32_t>(value.size()));
  out.append({reinterpret_cast<const std::uint8_t*>(value.data()), value.size()});
}

void write_count(ByteBuffer& out, std::uint64_t count) {
  if (count > kMaxLength) {
    out.fail({"a sequence of " + std::to_string(count) + " elements is too long to encode"});
    return;
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

void write(ByteBuffer& out, const Extreme& extreme) {
  write_i64(out, extreme.time);
  write_f64(out, extreme.height);
  write_bool(out, extreme.is_high);
  write_u8(out, extreme.coefficient.has_value() ? 1 : 0);
  if (extreme.coefficient.has_value()) write_u8(out, *extreme.coefficient);
}

void write(ByteBuffer& out, const HeightSample& sample) {
  write_i64(out, sample.time);
  write_f64(out, sample.height);
}

void write(ByteBuffer& out, const DayPrediction& prediction) {
  write_string(out, prediction.port_id);
  write_string(out, prediction.date);
  write(out, prediction.extremes);
  write(out, prediction.heights);
}

void write(ByteBuffer& out, const WaterWindow& window) {
  write_i64(out, window.start);
  write_i64(out, window.end);
  write_bool(out, window.open_start);
  write_bool(out, window.open_end);
}

}  // namespace nerith::uniffi::wire
