// The built-in model's tide coefficients, graded against its own Brest.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "nerith/ports/day_prediction.hpp"

// Graded on the scale of nerith::coefficient (common/coefficient.hpp), as
// the full model grades in nerith::full::coefficient.
namespace nerith::builtin::coefficient {

// The reference port: the built-in table's, never a custom station.
inline constexpr std::string_view REFERENCE_PORT_ID = "FR-BREST";

// Grades each high water of `extremes` (found in [start, end)) from the
// built-in reference port's range at the matching moment. Does nothing when
// `atlantic_coast` is false.
void assign_coefficients(std::vector<harmonic::extremes::Extreme>& extremes, bool atlantic_coast,
                         std::int64_t start, std::int64_t end);

}  // namespace nerith::builtin::coefficient
