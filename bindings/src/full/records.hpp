// The binding records of libnerith_full_uniffi.so that nerith.udl does not
// have, and their bytes on the wire: a Station is its fields in declaration
// order, Coast and TideError their i32 variant number counted from 1.
// DayPrediction and its parts are the first library's, written by wire.hpp.
#pragma once

#include <cstdint>
#include <string>

#include "common/frame.hpp"
#include "nerith/api.hpp"
#include "nerith/full/api.hpp"

namespace nerith::full_uniffi {

enum class Coast : std::int32_t { Atlantic = 1, Mediterranean = 2, Overseas = 3 };

// The gauge as an app sees it: the core Station's identity, position, coast,
// time zone, mean level and gauge number, in nerith_full.udl's order.
struct Station {
  std::string id;
  std::string name;
  double latitude = 0.0;
  double longitude = 0.0;
  Coast coast = Coast::Atlantic;
  std::string timezone;
  double mean_level = 0.0;
  std::int32_t gauge = 0;
};

struct TideError {
  enum class Kind : std::int32_t { StationNotFound = 1, InvalidDate = 2 };
  Kind kind;
  std::string message;
};

Station station_to_ffi(const full::Port& station);
TideError to_tide_error(api::ApiError error);

// Found by wire::lower through the records' namespace.
void write(uniffi::ByteBuffer& out, const Station& station);
void write(uniffi::ByteBuffer& out, const TideError& error);

}  // namespace nerith::full_uniffi
