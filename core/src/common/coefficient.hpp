// Tide coefficients (20..120): the scale and the grading of high waters
// against a reference port's curve, which each model supplies.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "common/harmonic/extremes.hpp"

namespace nerith::coefficient {

inline constexpr std::int64_t REFERENCE_LEAD = 25200;  // seconds before the day
// Metres of reference range per coefficient point: 5.38 m grades 95.
inline constexpr double COEFFICIENT_UNIT = 5.38 / 95;

// Coefficient of a reference range in metres: range / COEFFICIENT_UNIT
// rounded half away from zero, saturated to i32 (NaN gives 0), then clamped
// to 20..=120.
std::uint8_t coefficient_from_range(double range);

// The same on another scale: metres of reference range per point.
std::uint8_t coefficient_from_range(double range, double unit);

// Grading against a reference curve:
// the reference window is [reference_start(start), end), and each high water
// takes the range of the nearest reference high water above the reference
// low water before it, on the scale `unit`.
std::int64_t reference_start(std::int64_t start);
void grade(std::vector<harmonic::extremes::Extreme>& extremes,
           std::span<const harmonic::extremes::Extreme> reference, double unit = COEFFICIENT_UNIT);

}  // namespace nerith::coefficient
