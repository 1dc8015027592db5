// The exported surface of libnerith_full_uniffi.so that is its own: the six
// query functions of nerith_full.udl over the full model, their checksums
// and the generator's metadata. The buffer functions, the contract version
// and the future entry points are crate_entry_points.cpp's, the call frame
// and the record encoders those of libnerith_uniffi.so.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "common/answer.hpp"
#include "common/frame.hpp"
#include "full/records.hpp"
#include "nerith/full/api.hpp"
#include "nerith_full_uniffi.h"
#include "common/wire.hpp"

namespace nerith::full_uniffi {
namespace {

constexpr std::string_view kCrate = "nerith_full_uniffi";

std::vector<Station> stations_to_ffi(const std::vector<full::Port>& stations) {
  std::vector<Station> converted;
  converted.reserve(stations.size());
  for (const full::Port& station : stations) converted.push_back(station_to_ffi(station));
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

RustBuffer uniffi_nerith_full_uniffi_fn_func_list_stations(RustCallStatus* status) {
  log_entry(kCrate, "list_stations");
  return call<RustBuffer>(status, [&]() -> Outcome<RustBuffer> {
    const auto stations = nerith::full_uniffi::stations_to_ffi(nerith::full::list_ports());
    return nerith::uniffi::wire::lower(stations).release();
  });
}

RustBuffer uniffi_nerith_full_uniffi_fn_func_search_stations(RustBuffer query,
                                                             RustCallStatus* status) {
  ArgBuffer query_arg(query);
  log_entry(kCrate, "search_stations");
  return call<RustBuffer>(status, [&]() -> Outcome<RustBuffer> {
    const auto stations =
        nerith::full_uniffi::stations_to_ffi(nerith::full::search_ports(query_arg.text()));
    return nerith::uniffi::wire::lower(stations).release();
  });
}

RustBuffer uniffi_nerith_full_uniffi_fn_func_get_station(RustBuffer id, RustCallStatus* status) {
  ArgBuffer id_arg(id);
  log_entry(kCrate, "get_station");
  return call<RustBuffer>(status, [&]() -> Outcome<RustBuffer> {
    std::optional<nerith::full_uniffi::Station> found;
    if (const auto station = nerith::full::get_port(id_arg.text())) {
      found = nerith::full_uniffi::station_to_ffi(*station);
    }
    return nerith::uniffi::wire::lower(found).release();
  });
}

double uniffi_nerith_full_uniffi_fn_func_height_at(RustBuffer station_id, std::int64_t timestamp,
                                                   RustCallStatus* status) {
  ArgBuffer id_arg(station_id);
  log_entry(kCrate, "height_at");
  return call<double>(status, [&] {
    return nerith::uniffi::plain_answer(nerith::full::height_at(id_arg.text(), timestamp),
                                        to_tide_error);
  });
}

RustBuffer uniffi_nerith_full_uniffi_fn_func_predict_day(RustBuffer station_id, RustBuffer date,
                                                         RustCallStatus* status) {
  ArgBuffer id_arg(station_id);
  ArgBuffer date_arg(date);
  log_entry(kCrate, "predict_day");
  return call<RustBuffer>(status, [&] {
    const std::string_view id = id_arg.text();
    return lowered_answer(nerith::full::predict_day(id, date_arg.text()), to_tide_error);
  });
}

RustBuffer uniffi_nerith_full_uniffi_fn_func_predict_range(RustBuffer station_id,
                                                           RustBuffer start_date,
                                                           RustBuffer end_date,
                                                           RustCallStatus* status) {
  ArgBuffer id_arg(station_id);
  ArgBuffer first_arg(start_date);
  ArgBuffer last_arg(end_date);
  log_entry(kCrate, "predict_range");
  return call<RustBuffer>(status, [&] {
    // Arguments are read in signature order, so the first malformed one is reported.
    const std::string_view id = id_arg.text();
    const std::string_view first = first_arg.text();
    const std::string_view last = last_arg.text();
    return lowered_answer(nerith::full::predict_range(id, first, last), to_tide_error);
  });
}

// Computed by the binding generator from src/nerith_full.udl: any change to a
// function's name, arguments, result or error there changes its value.
std::uint16_t uniffi_nerith_full_uniffi_checksum_func_list_stations() {
  return 21188;
}
std::uint16_t uniffi_nerith_full_uniffi_checksum_func_search_stations() {
  return 56932;
}
std::uint16_t uniffi_nerith_full_uniffi_checksum_func_get_station() {
  return 1379;
}
std::uint16_t uniffi_nerith_full_uniffi_checksum_func_height_at() {
  return 22733;
}
std::uint16_t uniffi_nerith_full_uniffi_checksum_func_predict_day() {
  return 49838;
}
std::uint16_t uniffi_nerith_full_uniffi_checksum_func_predict_range() {
  return 1645;
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
