// The binding records of libnerith_uniffi.so that are its own, and their
// bytes on the wire: TideError its i32 variant number counted from 1, then
// its message. Port, DayPrediction and their parts are the core's records,
// written by common/wire.hpp.
#pragma once

#include <cstdint>
#include <expected>
#include <span>
#include <string>

#include "common/frame.hpp"
#include "nerith/ports.hpp"

namespace nerith::uniffi::builtin {

// The error enumeration that crosses the boundary; the numbers are those on
// the wire. Each variant carries its message.
struct TideError {
  enum class Kind : std::int32_t { PortNotFound = 1, InvalidDate = 2, PortRejected = 3 };
  Kind kind;
  std::string message;
};

// Found by wire::lower through the record's namespace.
void write(ByteBuffer& out, const TideError& error);

// Reads a Port that fills `bytes` exactly; the error is the reading message.
std::expected<ports::Port, std::string> lift_port(std::span<const std::uint8_t> bytes);

}  // namespace nerith::uniffi::builtin
