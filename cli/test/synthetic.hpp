// Synthetic day predictions for the tests: a 12.42-hour cosine around 4 m and
// high and low waters where the test puts them.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <optional>
#include <vector>

#include "nerith/types.hpp"
#include "timezone.hpp"

namespace nerith::cli::testing {

inline double synthetic_height(std::int64_t t) {
  return 4.0 + 3.0 * std::cos(2 * std::numbers::pi * static_cast<double>(t) / 44712.0);
}

struct SyntheticExtreme {
  std::int64_t second_of_day;
  bool is_high;
  std::optional<std::uint8_t> coefficient;
};

// The UTC day `day` as the library gives it: 145 samples and the extremes.
inline DayPrediction synthetic_day(std::int64_t day,
                                   const std::vector<SyntheticExtreme>& extremes) {
  DayPrediction prediction{"FR-TEST", date_text(day), {}, {}};
  const std::int64_t start = day * 86400;
  for (std::int64_t t = start; t <= start + 86400; t += 600) {
    // The sample at the next midnight differs slightly from the next day's
    // first one, as the library's do; the tests tell them apart this way.
    const double edge = t == start + 86400 ? 0.001 : 0.0;
    prediction.heights.push_back({t, synthetic_height(t) + edge});
  }
  for (const auto& e : extremes) {
    const std::int64_t t = start + e.second_of_day;
    prediction.extremes.push_back({t, synthetic_height(t), e.is_high, e.coefficient});
  }
  return prediction;
}

}  // namespace nerith::cli::testing
