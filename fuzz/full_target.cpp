// The harnesses' target when linked with this file: libnerith_full_uniffi.so,
// the full model, whose 106 stations are fixed.
#include <cstdint>
#include <string>

#include "harness.hpp"
#include "libraries.hpp"

namespace nerith::fuzz {
namespace {

// A lowered station of the full model: id, name, position, coast, time zone,
// mean level, gauge number. Returns its id.
std::string read_full_station(Reader& in) {
  std::string id = in.string();
  require(!id.empty(), "a full-model station without an id");
  in.string();
  in.f64();
  in.f64();
  const std::int32_t coast = in.i32();
  require(coast >= 1 && coast <= 3, "a coast outside its three variants");
  in.string();
  in.f64();
  in.i32();
  return id;
}

}  // namespace

const Target& target() {
  static const Target full{uniffi::testing::kFullQueries, read_full_station, [] {}};
  return full;
}

}  // namespace nerith::fuzz
