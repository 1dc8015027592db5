// The query functions of libnerith_uniffi.so: the six both libraries share,
// over the built-in model (common/queries.hpp), and add_custom_port. The
// checksums, the metadata, the buffer functions and the future entry points
// are common/crate_entry_points.cpp's.
#include <cstdint>
#include <expected>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "builtin/records.hpp"
#include "common/answer.hpp"
#include "common/frame.hpp"
#include "common/queries.hpp"
#include "nerith/api.hpp"
#include "nerith/ports/search.hpp"
#include "nerith_uniffi.h"

namespace nerith::uniffi::builtin {
namespace {

// The core's records are the binding's: nothing to convert.
struct Model {
  static constexpr std::string_view kCrate = NERITH_UNIFFI_CRATE_NAME;
  using TideError = builtin::TideError;

  static std::optional<ports::Port> get_port(std::string_view id) {
    return ports::search::get_port(id);
  }
  static std::vector<ports::Port> list_ports() { return ports::search::list_ports(); }
  static std::vector<ports::Port> search_ports(std::string_view query) {
    return ports::search::search_ports(query);
  }
  static auto height_at(std::string_view id, std::int64_t timestamp) {
    return api::height_at(id, timestamp);
  }
  static auto predict_day(std::string_view id, std::string_view day) {
    return api::predict_day(id, day);
  }
  static auto predict_range(std::string_view id, std::string_view first, std::string_view last,
                            api::DaySink& sink) {
    return api::predict_range(id, first, last, sink);
  }
};

Outcome<void> add_custom_port(std::span<const std::uint8_t> bytes) {
  auto lifted = lift_port(bytes);
  if (!lifted) return std::unexpected(unreadable("port", lifted.error()));
  auto added = ports::search::add_custom_port(std::move(*lifted));
  if (!added) {
    // The message is the registry's debug text: DuplicateId("<id>").
    return std::unexpected(
        error_value(TideError{TideError::Kind::PortRejected, added.error().debug_text()}));
  }
  return {};
}

}  // namespace
}  // namespace nerith::uniffi::builtin

extern "C" {

NERITH_UNIFFI_QUERIES(nerith::uniffi::builtin::Model)

void uniffi_nerith_uniffi_fn_func_add_custom_port(RustBuffer port, RustCallStatus* status) {
  nerith::uniffi::ArgBuffer port_arg(port);
  nerith::uniffi::log_entry(nerith::uniffi::builtin::Model::kCrate, "add_custom_port");
  nerith::uniffi::call<void>(status, [&]() -> nerith::uniffi::Outcome<void> {
    const auto bytes = port_arg.bytes();
    if (!bytes) return std::unexpected(bytes.error());
    return nerith::uniffi::builtin::add_custom_port(*bytes);
  });
}

}  // extern "C"
