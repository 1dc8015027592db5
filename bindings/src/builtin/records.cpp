#include "builtin/records.hpp"

#include <algorithm>
#include <utility>

#include "common/reader.hpp"
#include "common/wire.hpp"

namespace nerith::uniffi::builtin {
namespace {

using wire::Reader;

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
  for (std::size_t i = 0; i < count && !in.failed(); ++i) {
    port.constituents.push_back(read_constituent(in));
  }
  return port;
}

}  // namespace

void write(ByteBuffer& out, const TideError& error) {
  wire::write_i32(out, static_cast<std::int32_t>(error.kind));
  wire::write_string(out, error.message);
}

std::expected<ports::Port, std::string> lift_port(std::span<const std::uint8_t> bytes) {
  return wire::lift(bytes, read_port);
}

}  // namespace nerith::uniffi::builtin
