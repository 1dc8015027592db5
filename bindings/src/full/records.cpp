#include "full/records.hpp"

#include <utility>

#include "common/reader.hpp"
#include "common/wire.hpp"

namespace nerith::full_uniffi {
namespace {

Coast coast_to_ffi(full::Coast coast) {
  switch (coast) {
    case full::Coast::Mediterranean:
      return Coast::Mediterranean;
    case full::Coast::Overseas:
      return Coast::Overseas;
    case full::Coast::Atlantic:
      break;
  }
  return Coast::Atlantic;
}

// The digits of `value`. Written out rather than by std::to_string, whose
// helper GCC leaves as a default-visibility weak symbol in this object on
// 32-bit ARM, where it would show in the static archive.
std::string decimal(std::int32_t value) {
  std::int64_t rest = value;
  std::string digits = rest < 0 ? "-" : "";
  if (rest < 0) rest = -rest;
  std::string reversed;
  do {
    reversed.push_back(static_cast<char>('0' + rest % 10));
    rest /= 10;
  } while (rest > 0);
  return digits.append(reversed.rbegin(), reversed.rend());
}

}  // namespace

Port port_to_ffi(const full::Port& port) {
  return {.id = port.id,
          .name = port.name,
          .latitude = port.latitude,
          .longitude = port.longitude,
          .mean_water_level = port.mean_water_level,
          .coast = coast_to_ffi(port.coast),
          .timezone = port.timezone,
          .gauge = static_cast<std::int32_t>(port.gauge)};
}

TideError to_tide_error(api::ApiError error) {
  using enum api::ApiError::Kind;
  const auto kind = error.kind == PortNotFound   ? TideError::Kind::PortNotFound
                    : error.kind == InvalidLevel ? TideError::Kind::InvalidLevel
                                                 : TideError::Kind::InvalidDate;
  return {kind, std::move(error.text)};
}

std::expected<windows::Side, std::string> lift_side(std::span<const std::uint8_t> bytes) {
  try {
    uniffi::wire::Reader in(bytes);
    const std::int32_t variant = in.i32();
    if (in.remaining() != 0) {
      return std::unexpected(
          "junk data left in buffer after lifting (count: " + std::to_string(in.remaining()) + ")");
    }
    if (variant == 1) return windows::Side::Above;
    if (variant == 2) return windows::Side::Below;
    return std::unexpected("Invalid WaterSide enum value: " + decimal(variant));
  } catch (uniffi::wire::ReadError& error) {
    return std::unexpected(std::move(error.message));
  }
}

void write(uniffi::ByteBuffer& out, const Port& port) {
  uniffi::wire::write_string(out, port.id);
  uniffi::wire::write_string(out, port.name);
  uniffi::wire::write_f64(out, port.latitude);
  uniffi::wire::write_f64(out, port.longitude);
  uniffi::wire::write_f64(out, port.mean_water_level);
  uniffi::wire::write_i32(out, static_cast<std::int32_t>(port.coast));
  uniffi::wire::write_string(out, port.timezone);
  uniffi::wire::write_i32(out, port.gauge);
}

void write(uniffi::ByteBuffer& out, const TideError& error) {
  uniffi::wire::write_i32(out, static_cast<std::int32_t>(error.kind));
  uniffi::wire::write_string(out, error.message);
}

void write(uniffi::ByteBuffer& out, const WaterWindow& window) {
  uniffi::wire::write_i64(out, window.window.start);
  uniffi::wire::write_i64(out, window.window.end);
  uniffi::wire::write_bool(out, window.window.open_start);
  uniffi::wire::write_bool(out, window.window.open_end);
}

}  // namespace nerith::full_uniffi
