// How a query function hands back what the core answered: the value, lowered
// into a new buffer, or the core's error value converted into the library's
// error enumeration and reported with code 1.
#pragma once

#include <cstdint>
#include <expected>
#include <string_view>
#include <utility>

#include "common/frame.hpp"
#include "common/wire.hpp"
#include "nerith/types.hpp"

namespace nerith::uniffi {

// Code 1 with the error enumeration's encoding, or the fault met encoding it.
template <class WireError>
Failure error_value(const WireError& error) {
  auto payload = wire::lower(error);
  if (!payload) return std::move(payload.error());
  return CallError{1, ByteBuffer(*payload)};
}

// A value lowered into a new buffer, or the fault met encoding it.
template <class T>
Outcome<RustBuffer> lowered(const T& value) {
  auto buffer = wire::lower(value);
  if (!buffer) return std::unexpected(std::move(buffer.error()));
  return *buffer;
}

// A value that crosses as it is (a height), or the converted error.
template <class T, class ToWireError>
Outcome<T> plain_answer(std::expected<T, ApiError> answer, ToWireError to_wire_error) {
  if (!answer) return std::unexpected(error_value(to_wire_error(std::move(answer.error()))));
  return std::move(*answer);
}

// A value lowered into a new buffer, or the converted error.
template <class T, class ToWireError>
Outcome<RustBuffer> lowered_answer(std::expected<T, ApiError> answer, ToWireError to_wire_error) {
  if (!answer) return std::unexpected(error_value(to_wire_error(std::move(answer.error()))));
  return lowered(*answer);
}

// A range encoded day by day as the core makes it, with no list kept: the
// sequence's count, then each DayPrediction. After the first day the
// buffer is sized for the others, from that day's size and one extreme more.
// A fault (a count too large to encode, a buffer too large to allocate)
// stops the core at once, without working out the other days.
class RangeEncoder final : public DaySink {
 public:
  void begin(std::uint64_t days) override;
  void day(const DayPrediction& prediction) override;
  bool stopped() const noexcept override { return out_.faulted(); }
  std::expected<RustBuffer, Panic> finish() && noexcept { return std::move(out_).finish(); }

 private:
  ByteBuffer out_;
  std::uint64_t remaining_ = 0;
};

// The days first .. last of `predict_range` (a model's streaming range),
// encoded as they are made, or the converted error.
template <class PredictRange, class ToWireError>
Outcome<RustBuffer> streamed_range(PredictRange predict_range, ToWireError to_wire_error) {
  RangeEncoder encoder;
  auto done = predict_range(encoder);
  if (!done) return std::unexpected(error_value(to_wire_error(std::move(done.error()))));
  auto encoded = std::move(encoder).finish();
  if (!encoded) return std::unexpected(std::move(encoded.error()));
  return *encoded;
}

// An argument that cannot be read: code 2, not logged.
Failure unreadable(std::string_view name, std::string_view reason);

}  // namespace nerith::uniffi
