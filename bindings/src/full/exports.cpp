// The query functions of libnerith_full_uniffi.so: the six both libraries
// share, over the full model (common/queries.hpp), and water_windows. The
// checksums, the metadata, the buffer functions and the future entry points
// are common/crate_entry_points.cpp's.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "common/answer.hpp"
#include "common/frame.hpp"
#include "common/queries.hpp"
#include "full/records.hpp"
#include "nerith/full/api.hpp"
#include "nerith_full_uniffi.h"

namespace nerith::full_uniffi {
namespace {

std::vector<Port> ports_to_ffi(const std::vector<full::Port>& ports) {
  std::vector<Port> converted;
  converted.reserve(ports.size());
  for (const full::Port& port : ports) converted.push_back(port_to_ffi(port));
  return converted;
}

// The full model's ports carry their time zone and coast: converted.
struct Model {
  static constexpr std::string_view kCrate = NERITH_UNIFFI_CRATE_NAME;
  using TideError = full_uniffi::TideError;

  static std::optional<Port> get_port(std::string_view id) {
    std::optional<Port> found;
    if (const auto port = full::get_port(id)) found = port_to_ffi(*port);
    return found;
  }
  static std::vector<Port> list_ports() { return ports_to_ffi(full::list_ports()); }
  static std::vector<Port> search_ports(std::string_view query) {
    return ports_to_ffi(full::search_ports(query));
  }
  static auto height_at(std::string_view id, std::int64_t timestamp) {
    return full::height_at(id, timestamp);
  }
  static auto predict_day(std::string_view id, std::string_view day) {
    return full::predict_day(id, day);
  }
  static auto predict_range(std::string_view id, std::string_view first, std::string_view last,
                            DaySink& sink) {
    return full::predict_range(id, first, last, sink);
  }
};

}  // namespace
}  // namespace nerith::full_uniffi

using nerith::full_uniffi::Model;
using nerith::uniffi::ArgBuffer;
using nerith::uniffi::Outcome;

extern "C" {

NERITH_UNIFFI_QUERIES(Model)

RustBuffer uniffi_nerith_full_uniffi_fn_func_water_windows(RustBuffer port_id,
                                                           RustBuffer start_date,
                                                           RustBuffer end_date, double level,
                                                           RustBuffer side,
                                                           RustCallStatus* status) {
  ArgBuffer id_arg(port_id);
  ArgBuffer first_arg(start_date);
  ArgBuffer last_arg(end_date);
  ArgBuffer side_arg(side);
  nerith::uniffi::log_entry(Model::kCrate, "water_windows");
  return nerith::uniffi::call<RustBuffer>(status, [&]() -> Outcome<RustBuffer> {
    const auto args = nerith::uniffi::texts(id_arg, first_arg, last_arg);
    if (!args) return std::unexpected(args.error());
    const auto [id, first, last] = *args;
    const auto bytes = side_arg.bytes();
    if (!bytes) return std::unexpected(bytes.error());
    const auto lifted = nerith::full_uniffi::lift_side(*bytes);
    if (!lifted) return std::unexpected(nerith::uniffi::unreadable("side", lifted.error()));
    return nerith::uniffi::lowered_answer(
        nerith::full::water_windows(id, first, last, level, *lifted),
        nerith::uniffi::Queries<Model>::to_error);
  });
}

}  // extern "C"
