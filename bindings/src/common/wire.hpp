// The bytes of values inside buffers: big-endian numbers, strings and
// sequences behind an i32 length, optionals behind a 0/1 byte, records as
// their fields in declaration order with nothing between them.
#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/frame.hpp"
#include "nerith/ports.hpp"
#include "nerith/types.hpp"

namespace nerith::uniffi::wire {

void write_u8(ByteBuffer& out, std::uint8_t value);
void write_bool(ByteBuffer& out, bool value);
void write_i32(ByteBuffer& out, std::int32_t value);
void write_i64(ByteBuffer& out, std::int64_t value);
void write_f64(ByteBuffer& out, double value);
// Every writer is a no-op once `out` has faulted.

// Faults `out` for a text longer than 2^31 - 1 bytes.
void write_string(ByteBuffer& out, std::string_view value);
// Faults `out` for more than 2^31 - 1 elements.
void write_count(ByteBuffer& out, std::uint64_t count);

// The binding records share their fields and order with the core records;
// an Extreme travels as a TidalExtreme.
void write(ByteBuffer& out, const ports::HarmonicConstituent& constituent);
void write(ByteBuffer& out, const ports::Port& port);
void write(ByteBuffer& out, const Extreme& extreme);
void write(ByteBuffer& out, const HeightSample& sample);
void write(ByteBuffer& out, const DayPrediction& prediction);
void write(ByteBuffer& out, const WaterWindow& window);

template <class T>
void write(ByteBuffer& out, const std::vector<T>& items) {
  write_count(out, items.size());
  for (const T& item : items) {
    if (out.faulted()) return;
    write(out, item);
  }
}

template <class T>
void write(ByteBuffer& out, const std::optional<T>& value) {
  write_u8(out, value.has_value() ? 1 : 0);
  if (value.has_value()) write(out, *value);
}

// A new buffer holding the value's encoding from its first byte, or the
// first fault met while writing it.
template <class T>
std::expected<RustBuffer, Panic> lower(const T& value) {
  ByteBuffer out;
  write(out, value);
  return std::move(out).finish();
}

}  // namespace nerith::uniffi::wire
