// How a query function hands back what the core answered: the value, lowered
// into a new buffer, or the core's error value converted into the library's
// error enumeration and reported with code 1.
#pragma once

#include <expected>
#include <utility>

#include "common/frame.hpp"
#include "common/wire.hpp"
#include "nerith/api.hpp"

namespace nerith::uniffi {

// Code 1 with the error enumeration's encoding.
template <class WireError>
CallError error_value(const WireError& error) {
  return {1, wire::lower(error)};
}

// A value that crosses as it is (a height), or the converted error.
template <class T, class ToWireError>
Outcome<T> plain_answer(std::expected<T, api::ApiError> answer, ToWireError to_wire_error) {
  if (!answer) return std::unexpected(error_value(to_wire_error(std::move(answer.error()))));
  return std::move(*answer);
}

// A value lowered into a new buffer, or the converted error.
template <class T, class ToWireError>
Outcome<RustBuffer> lowered_answer(std::expected<T, api::ApiError> answer,
                                   ToWireError to_wire_error) {
  if (!answer) return std::unexpected(error_value(to_wire_error(std::move(answer.error()))));
  return wire::lower(*answer).release();
}

}  // namespace nerith::uniffi
