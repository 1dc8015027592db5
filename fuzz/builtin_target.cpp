// The harnesses' target when linked with this file: libnerith_uniffi.so, the
// built-in model, with custom stations whose texts stress the search's
// lower-casing added before the first input.
#include <cstdint>
#include <string>
#include <string_view>

#include "harness.hpp"
#include "libraries.hpp"
#include "nerith_uniffi.h"

namespace nerith::fuzz {
namespace {

// A lowered Port; returns its id.
std::string read_port(Reader& in) {
  std::string id = in.string();
  in.string();
  in.f64();
  in.f64();
  in.f64();
  in.boolean();
  for (std::int32_t n = in.count(); n > 0; --n) {
    in.string();
    in.f64();
    in.f64();
  }
  return id;
}

// A capital with a one-to-many mapping, a final sigma, combining marks, an
// empty id.
void add_custom_stations() {
  const std::string_view stations[][2] = {
      {"TEST-\xC4\xB0ZM\xC4\xB0R", "\xC4\xB0zmir \xCE\xA3\xCE\xA3"},
      {"", "e\xCC\x81tang \xE2\x80\x8B"},
      {"TEST-\xF0\x9F\x8C\x8A", "Port\tTab\nLine"},
  };
  for (const auto& [id, name] : stations) {
    Bytes port;
    auto put_string = [&](std::string_view text) {
      const auto n = static_cast<std::uint32_t>(text.size());
      for (int shift = 24; shift >= 0; shift -= 8)
        port.push_back(static_cast<std::uint8_t>(n >> shift));
      port.insert(port.end(), text.begin(), text.end());
    };
    put_string(id);
    put_string(name);
    port.insert(port.end(), 24, 0);  // latitude, longitude, mean water level: 0.0
    port.push_back(0);               // not on the Atlantic coast
    port.insert(port.end(), 4, 0);   // no constituents
    RustCallStatus status{};
    uniffi_nerith_uniffi_fn_func_add_custom_port(lend(port), &status);
    require(settle(status).code == 0, "a custom station was refused");
  }
}

}  // namespace

const Target& target() {
  static const Target built_in{uniffi::testing::kNerithQueries, read_port, add_custom_stations};
  return built_in;
}

}  // namespace nerith::fuzz
