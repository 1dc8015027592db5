#include "full/records.hpp"

#include <utility>

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

Station station_to_ffi(const full::Port& station) {
  return {.id = station.id,
          .name = station.name,
          .latitude = station.latitude,
          .longitude = station.longitude,
          .coast = coast_to_ffi(station.coast),
          .timezone = station.timezone,
          .mean_level = station.mean_water_level,
          .gauge = static_cast<std::int32_t>(station.gauge)};
}

TideError to_tide_error(api::ApiError error) {
  const auto kind = error.kind == api::ApiError::Kind::PortNotFound
                        ? TideError::Kind::StationNotFound
                        : TideError::Kind::InvalidDate;
  return {kind, std::move(error.text)};
}

void write(uniffi::ByteBuffer& out, const Station& station) {
  uniffi::wire::write_string(out, station.id);
  uniffi::wire::write_string(out, station.name);
  uniffi::wire::write_f64(out, station.latitude);
  uniffi::wire::write_f64(out, station.longitude);
  uniffi::wire::write_i32(out, static_cast<std::int32_t>(station.coast));
  uniffi::wire::write_string(out, station.timezone);
  uniffi::wire::write_f64(out, station.mean_level);
  uniffi::wire::write_i32(out, station.gauge);
}

void write(uniffi::ByteBuffer& out, const TideError& error) {
  uniffi::wire::write_i32(out, static_cast<std::int32_t>(error.kind));
  uniffi::wire::write_string(out, error.message);
}

}  // namespace nerith::full_uniffi
