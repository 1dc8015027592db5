#include "full/official_coefficient.hpp"

#include <algorithm>

#include "common/coefficient.hpp"
#include "full/catalogue.hpp"
#include "full/curve.hpp"

namespace nerith::full::coefficient {

std::vector<harmonic::extremes::Extreme> reference_extremes(std::int64_t start, std::int64_t end) {
  const catalogue::Entry brest = catalogue::find(REFERENCE_STATION_ID);
  if (brest.station == nullptr) return {};
  // The window opens 7 hours early, as the built-in model's, so that an early
  // high water still finds the reference low water of the evening before.
  const curve::Curve semi_diurnal(*brest.station, *brest.rows, brest.folding,
                                  nerith::coefficient::reference_start(start), end,
                                  curve::Species::SemiDiurnal);
  return harmonic::extremes::find_extremes(semi_diurnal);
}

void assign_coefficients(std::vector<harmonic::extremes::Extreme>& extremes, Coast coast,
                         std::int64_t start, std::int64_t end) {
  if (coast != Coast::Atlantic) return;
  if (std::ranges::none_of(extremes, &harmonic::extremes::Extreme::is_high)) return;
  nerith::coefficient::grade(extremes, reference_extremes(start, end), COEFFICIENT_UNIT);
}

}  // namespace nerith::full::coefficient
