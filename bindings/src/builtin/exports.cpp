// The exported surface of libnerith_uniffi.so that is its own: the seven
// query functions, their checksums and the generator's metadata (the buffer
// functions, the contract version and the future entry points are
// crate_entry_points.cpp's). Each query function takes its argument buffers
// over, calls the core and lowers the answer; the frame reports every failure.
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "builtin/records.hpp"
#include "common/answer.hpp"
#include "common/frame.hpp"
#include "common/wire.hpp"
#include "nerith/api.hpp"
#include "nerith/ports/search.hpp"
#include "nerith_uniffi.h"

namespace nerith::uniffi {
namespace {

constexpr std::string_view kCrate = "nerith_uniffi";

using builtin::TideError;

TideError to_tide_error(api::ApiError error) {
  const auto kind = error.kind == api::ApiError::Kind::PortNotFound ? TideError::Kind::PortNotFound
                                                                    : TideError::Kind::InvalidDate;
  return {kind, std::move(error.text)};
}

// The thin adapters between the exported functions and the core.

std::expected<void, TideError> add_custom_port(ports::Port port) {
  auto added = ports::search::add_custom_port(std::move(port));
  if (!added) {
    // The message is the registry's debug text: DuplicateId("<id>").
    return std::unexpected(TideError{TideError::Kind::PortRejected, added.error().debug_text()});
  }
  return {};
}

std::optional<ports::Port> get_port(std::string_view id) {
  return ports::search::get_port(id);
}

}  // namespace
}  // namespace nerith::uniffi

using nerith::uniffi::ArgBuffer;
using nerith::uniffi::call;
using nerith::uniffi::kCrate;
using nerith::uniffi::log_entry;
using nerith::uniffi::Outcome;

extern "C" {

void uniffi_nerith_uniffi_fn_func_add_custom_port(RustBuffer port, RustCallStatus* status) {
  ArgBuffer port_arg(port);
  log_entry(kCrate, "add_custom_port");
  call<void>(status, [&]() -> Outcome<void> {
    const auto bytes = port_arg.bytes();
    if (!bytes) return std::unexpected(bytes.error());
    auto lifted = nerith::uniffi::builtin::lift_port(*bytes);
    if (!lifted) return std::unexpected(nerith::uniffi::unreadable("port", lifted.error()));
    auto added = nerith::uniffi::add_custom_port(std::move(*lifted));
    if (!added) return std::unexpected(nerith::uniffi::error_value(added.error()));
    return {};
  });
}

RustBuffer uniffi_nerith_uniffi_fn_func_get_port(RustBuffer id, RustCallStatus* status) {
  ArgBuffer id_arg(id);
  log_entry(kCrate, "get_port");
  return call<RustBuffer>(status, [&]() -> Outcome<RustBuffer> {
    const auto id = id_arg.text();
    if (!id) return std::unexpected(id.error());
    return nerith::uniffi::lowered(nerith::uniffi::get_port(*id));
  });
}

double uniffi_nerith_uniffi_fn_func_height_at(RustBuffer port_id, std::int64_t timestamp,
                                              RustCallStatus* status) {
  ArgBuffer id_arg(port_id);
  log_entry(kCrate, "height_at");
  return call<double>(status, [&]() -> Outcome<double> {
    const auto id = id_arg.text();
    if (!id) return std::unexpected(id.error());
    return nerith::uniffi::plain_answer(nerith::api::height_at(*id, timestamp),
                                        nerith::uniffi::to_tide_error);
  });
}

RustBuffer uniffi_nerith_uniffi_fn_func_list_ports(RustCallStatus* status) {
  log_entry(kCrate, "list_ports");
  return call<RustBuffer>(status, [&]() -> Outcome<RustBuffer> {
    return nerith::uniffi::lowered(nerith::ports::search::list_ports());
  });
}

RustBuffer uniffi_nerith_uniffi_fn_func_predict_day(RustBuffer port_id, RustBuffer date,
                                                    RustCallStatus* status) {
  ArgBuffer id_arg(port_id);
  ArgBuffer date_arg(date);
  log_entry(kCrate, "predict_day");
  return call<RustBuffer>(status, [&]() -> Outcome<RustBuffer> {
    const auto args = nerith::uniffi::texts(id_arg, date_arg);
    if (!args) return std::unexpected(args.error());
    const auto [id, day] = *args;
    return nerith::uniffi::lowered_answer(nerith::api::predict_day(id, day),
                                          nerith::uniffi::to_tide_error);
  });
}

RustBuffer uniffi_nerith_uniffi_fn_func_predict_range(RustBuffer port_id, RustBuffer start_date,
                                                      RustBuffer end_date, RustCallStatus* status) {
  ArgBuffer id_arg(port_id);
  ArgBuffer first_arg(start_date);
  ArgBuffer last_arg(end_date);
  log_entry(kCrate, "predict_range");
  return call<RustBuffer>(status, [&]() -> Outcome<RustBuffer> {
    // Arguments are read in signature order, so the first malformed one is reported.
    const auto args = nerith::uniffi::texts(id_arg, first_arg, last_arg);
    if (!args) return std::unexpected(args.error());
    const auto [id, first, last] = *args;
    return nerith::uniffi::streamed_range(
        [&](nerith::api::DaySink& sink) {
          return nerith::api::predict_range(id, first, last, sink);
        },
        nerith::uniffi::to_tide_error);
  });
}

RustBuffer uniffi_nerith_uniffi_fn_func_search_ports(RustBuffer query, RustCallStatus* status) {
  ArgBuffer query_arg(query);
  log_entry(kCrate, "search_ports");
  return call<RustBuffer>(status, [&]() -> Outcome<RustBuffer> {
    const auto text = query_arg.text();
    if (!text) return std::unexpected(text.error());
    return nerith::uniffi::lowered(nerith::ports::search::search_ports(*text));
  });
}

// Computed by the binding generator from src/nerith.udl: any change to a
// function's name, arguments, result or error there changes its value.
std::uint16_t uniffi_nerith_uniffi_checksum_func_add_custom_port() {
  return 43597;
}
std::uint16_t uniffi_nerith_uniffi_checksum_func_get_port() {
  return 4355;
}
std::uint16_t uniffi_nerith_uniffi_checksum_func_height_at() {
  return 55751;
}
std::uint16_t uniffi_nerith_uniffi_checksum_func_list_ports() {
  return 62794;
}
std::uint16_t uniffi_nerith_uniffi_checksum_func_predict_day() {
  return 56189;
}
std::uint16_t uniffi_nerith_uniffi_checksum_func_predict_range() {
  return 32402;
}
std::uint16_t uniffi_nerith_uniffi_checksum_func_search_ports() {
  return 37425;
}

// Read by the binding generator from the library file, never by the library:
// a kind byte (6 namespace, 8 interface-definition file), then strings, each
// a length byte and its bytes: the binding module, the namespace and, for
// the interface definition, its file stem.
const std::uint8_t UNIFFI_META_NAMESPACE_NERITH[22] = {6,   13,  'n', 'e', 'r', 'i', 't', 'h',
                                                       '_', 'u', 'n', 'i', 'f', 'f', 'i', 6,
                                                       'n', 'e', 'r', 'i', 't', 'h'};
const std::uint8_t UNIFFI_META_UDL_NERITH[29] = {8,   13,  'n', 'e', 'r', 'i', 't', 'h', '_', 'u',
                                                 'n', 'i', 'f', 'f', 'i', 6,   'n', 'e', 'r', 'i',
                                                 't', 'h', 6,   'n', 'e', 'r', 'i', 't', 'h'};

}  // extern "C"
