// The exported surface of libnerith_full_uniffi.so that is its own: the seven
// query functions of nerith_full.udl over the full model, their checksums
// and the generator's metadata. The buffer functions, the contract version
// and the future entry points are common/crate_entry_points.cpp's; the call
// frame, the day records' encoders and the streamed range are common/.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "common/answer.hpp"
#include "common/frame.hpp"
#include "common/wire.hpp"
#include "full/records.hpp"
#include "nerith/full/api.hpp"
#include "nerith_full_uniffi.h"

namespace nerith::full_uniffi {
namespace {

constexpr std::string_view kCrate = "nerith_full_uniffi";

std::vector<Port> ports_to_ffi(const std::vector<full::Port>& ports) {
  std::vector<Port> converted;
  converted.reserve(ports.size());
  for (const full::Port& port : ports) converted.push_back(port_to_ffi(port));
  return converted;
}

}  // namespace
}  // namespace nerith::full_uniffi

using nerith::full_uniffi::kCrate;
using nerith::full_uniffi::to_tide_error;
using nerith::uniffi::ArgBuffer;
using nerith::uniffi::call;
using nerith::uniffi::log_entry;
using nerith::uniffi::lowered_answer;
using nerith::uniffi::Outcome;

extern "C" {

RustBuffer uniffi_nerith_full_uniffi_fn_func_get_port(RustBuffer id, RustCallStatus* status) {
  ArgBuffer id_arg(id);
  log_entry(kCrate, "get_port");
  return call<RustBuffer>(status, [&]() -> Outcome<RustBuffer> {
    const auto id = id_arg.text();
    if (!id) return std::unexpected(id.error());
    std::optional<nerith::full_uniffi::Port> found;
    if (const auto port = nerith::full::get_port(*id)) {
      found = nerith::full_uniffi::port_to_ffi(*port);
    }
    return nerith::uniffi::lowered(found);
  });
}

double uniffi_nerith_full_uniffi_fn_func_height_at(RustBuffer port_id, std::int64_t timestamp,
                                                   RustCallStatus* status) {
  ArgBuffer id_arg(port_id);
  log_entry(kCrate, "height_at");
  return call<double>(status, [&]() -> Outcome<double> {
    const auto id = id_arg.text();
    if (!id) return std::unexpected(id.error());
    return nerith::uniffi::plain_answer(nerith::full::height_at(*id, timestamp), to_tide_error);
  });
}

RustBuffer uniffi_nerith_full_uniffi_fn_func_list_ports(RustCallStatus* status) {
  log_entry(kCrate, "list_ports");
  return call<RustBuffer>(status, [&]() -> Outcome<RustBuffer> {
    const auto ports = nerith::full_uniffi::ports_to_ffi(nerith::full::list_ports());
    return nerith::uniffi::lowered(ports);
  });
}

RustBuffer uniffi_nerith_full_uniffi_fn_func_predict_day(RustBuffer port_id, RustBuffer date,
                                                         RustCallStatus* status) {
  ArgBuffer id_arg(port_id);
  ArgBuffer date_arg(date);
  log_entry(kCrate, "predict_day");
  return call<RustBuffer>(status, [&]() -> Outcome<RustBuffer> {
    const auto args = nerith::uniffi::texts(id_arg, date_arg);
    if (!args) return std::unexpected(args.error());
    const auto [id, day] = *args;
    return lowered_answer(nerith::full::predict_day(id, day), to_tide_error);
  });
}

RustBuffer uniffi_nerith_full_uniffi_fn_func_predict_range(RustBuffer port_id,
                                                           RustBuffer start_date,
                                                           RustBuffer end_date,
                                                           RustCallStatus* status) {
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
          return nerith::full::predict_range(id, first, last, sink);
        },
        to_tide_error);
  });
}

RustBuffer uniffi_nerith_full_uniffi_fn_func_search_ports(RustBuffer query,
                                                          RustCallStatus* status) {
  ArgBuffer query_arg(query);
  log_entry(kCrate, "search_ports");
  return call<RustBuffer>(status, [&]() -> Outcome<RustBuffer> {
    const auto text = query_arg.text();
    if (!text) return std::unexpected(text.error());
    const auto ports = nerith::full_uniffi::ports_to_ffi(nerith::full::search_ports(*text));
    return nerith::uniffi::lowered(ports);
  });
}

RustBuffer uniffi_nerith_full_uniffi_fn_func_water_windows(RustBuffer port_id,
                                                           RustBuffer start_date,
                                                           RustBuffer end_date, double level,
                                                           RustBuffer side,
                                                           RustCallStatus* status) {
  ArgBuffer id_arg(port_id);
  ArgBuffer first_arg(start_date);
  ArgBuffer last_arg(end_date);
  ArgBuffer side_arg(side);
  log_entry(kCrate, "water_windows");
  return call<RustBuffer>(status, [&]() -> Outcome<RustBuffer> {
    const auto args = nerith::uniffi::texts(id_arg, first_arg, last_arg);
    if (!args) return std::unexpected(args.error());
    const auto [id, first, last] = *args;
    const auto bytes = side_arg.bytes();
    if (!bytes) return std::unexpected(bytes.error());
    const auto lifted = nerith::full_uniffi::lift_side(*bytes);
    if (!lifted) return std::unexpected(nerith::uniffi::unreadable("side", lifted.error()));
    return lowered_answer(nerith::full::water_windows(id, first, last, level, *lifted),
                          to_tide_error);
  });
}

// Computed by the binding generator from src/nerith_full.udl: any change to a
// function's name, arguments, result or error there changes its value.
std::uint16_t uniffi_nerith_full_uniffi_checksum_func_get_port() {
  return 3775;
}
std::uint16_t uniffi_nerith_full_uniffi_checksum_func_height_at() {
  return 7045;
}
std::uint16_t uniffi_nerith_full_uniffi_checksum_func_list_ports() {
  return 30737;
}
std::uint16_t uniffi_nerith_full_uniffi_checksum_func_predict_day() {
  return 22960;
}
std::uint16_t uniffi_nerith_full_uniffi_checksum_func_predict_range() {
  return 3024;
}
std::uint16_t uniffi_nerith_full_uniffi_checksum_func_search_ports() {
  return 7477;
}
std::uint16_t uniffi_nerith_full_uniffi_checksum_func_water_windows() {
  return 18175;
}

// Read by the binding generator from the library file, never by the library:
// a kind byte (6 namespace, 8 interface-definition file), then strings, each
// a length byte and its bytes: the binding module, the namespace and, for
// the interface definition, its file stem.
const std::uint8_t UNIFFI_META_NAMESPACE_NERITH_FULL[32] = {
    6,   18,  'n', 'e', 'r', 'i', 't', 'h', '_', 'f', 'u', 'l', 'l', '_', 'u', 'n',
    'i', 'f', 'f', 'i', 11,  'n', 'e', 'r', 'i', 't', 'h', '_', 'f', 'u', 'l', 'l'};
const std::uint8_t UNIFFI_META_UDL_NERITH_FULL[44] = {
    8,   18,  'n', 'e', 'r', 'i', 't', 'h', '_', 'f', 'u', 'l', 'l', '_', 'u',
    'n', 'i', 'f', 'f', 'i', 11,  'n', 'e', 'r', 'i', 't', 'h', '_', 'f', 'u',
    'l', 'l', 11,  'n', 'e', 'r', 'i', 't', 'h', '_', 'f', 'u', 'l', 'l'};

}  // extern "C"
