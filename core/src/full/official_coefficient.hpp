// The official tide coefficient of the full model, graded at Brest.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "common/harmonic/extremes.hpp"
#include "nerith/full/api.hpp"

namespace nerith::full::coefficient {

inline constexpr std::string_view REFERENCE_STATION_ID = "FR-BREST";
// The official scale: 6.1 m of semi-diurnal range at Brest grades 100.
inline constexpr double COEFFICIENT_UNIT = 6.1 / 100;

// The reference extremes for a day [start, end): the high and low waters of
// the semi-diurnal part (species 2) of Brest's tide over [start − 7 h, end).
std::vector<harmonic::extremes::Extreme> reference_extremes(std::int64_t start, std::int64_t end);

// Grades each high water of an Atlantic-coast station's day [start, end)
// from reference_extremes, by the association of the built-in model.
// Other coasts get none.
void assign_coefficients(std::vector<harmonic::extremes::Extreme>& extremes, Coast coast,
                         std::int64_t start, std::int64_t end);

}  // namespace nerith::full::coefficient
