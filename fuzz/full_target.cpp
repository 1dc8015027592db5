// The harnesses' target when linked with this file: libnerith_full_uniffi.so,
// the full model, whose 106 ports are fixed.
#include <cstdint>
#include <string>

#include "harness.hpp"
#include "libraries.hpp"

namespace nerith::fuzz {
namespace {

// A lowered port of the full model: id, name, position, mean level, coast,
// time zone, gauge number. Returns its id.
std::string read_full_port(Reader& in) {
  std::string id = in.string();
  require(!id.empty(), "a full-model port without an id");
  in.string();
  in.f64();
  in.f64();
  in.f64();
  const std::int32_t coast = in.i32();
  require(coast >= 1 && coast <= 3, "a coast outside its three variants");
  in.string();
  in.i32();
  return id;
}

}  // namespace

const Target& target() {
  static const Target full{uniffi::testing::kFullQueries, read_full_port, [] {}};
  return full;
}

}  // namespace nerith::fuzz
