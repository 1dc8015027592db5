// The binding records of libnerith_full_uniffi.so that nerith.udl does not
// have, and their bytes on the wire: a Port is its fields in declaration
// order; Coast, WaterSide and TideError their i32 variant number counted
// from 1. DayPrediction, WaterWindow and their parts are the core's records,
// written by common/wire.hpp.
#pragma once

#include <cstdint>
#include <expected>
#include <span>
#include <string>

#include "common/frame.hpp"
#include "nerith/full/api.hpp"
#include "nerith/types.hpp"

namespace nerith::full_uniffi {

enum class Coast : std::int32_t { Atlantic = 1, Mediterranean = 2, Overseas = 3 };

// The gauge as an app sees it: nerith.udl's Port fields first (but coast
// for atlantic_coast), then its time zone and gauge number.
struct Port {
  std::string id;
  std::string name;
  double latitude = 0.0;
  double longitude = 0.0;
  double mean_water_level = 0.0;
  Coast coast = Coast::Atlantic;
  std::string timezone;
  std::int32_t gauge = 0;
};

struct TideError {
  enum class Kind : std::int32_t { PortNotFound = 1, InvalidDate = 2, InvalidLevel = 3 };
  Kind kind;
  std::string message;
};

Port port_to_ffi(const full::Port& port);

// Reads a WaterSide that fills `bytes` exactly; the error is the reading
// message.
std::expected<WaterSide, std::string> lift_side(std::span<const std::uint8_t> bytes);

// Found by wire::lower through the records' namespace.
void write(uniffi::ByteBuffer& out, const Port& port);
void write(uniffi::ByteBuffer& out, const TideError& error);

}  // namespace nerith::full_uniffi
