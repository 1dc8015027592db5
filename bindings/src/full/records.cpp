#include "full/records.hpp"

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

std::expected<WaterSide, std::string> lift_side(std::span<const std::uint8_t> bytes) {
  return uniffi::wire::lift(bytes, [](uniffi::wire::Reader& in) {
    return in.variant("WaterSide", 2) == 1 ? WaterSide::Above : WaterSide::Below;
  });
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

}  // namespace nerith::full_uniffi
