// Calendar days on the chosen clock, cut out of the library's UTC days.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "nerith/types.hpp"
#include "timezone.hpp"

namespace nerith::cli {

struct DayView {
  std::int64_t day = 0;               // local calendar day, days since 1970-01-01
  std::string date;                   // its YYYY-MM-DD
  std::int64_t start = 0;             // first instant of the day
  std::int64_t end = 0;               // first instant of the next day: 23, 24 or 25 hours later
  std::vector<Extreme> extremes;      // start <= time < end
  std::vector<HeightSample> heights;  // start <= time <= end
};

// The UTC days, first and last as day numbers, whose predictions cover the
// local days first .. first + count - 1.
struct UtcSpan {
  std::int64_t first = 0;
  std::int64_t last = 0;
};
UtcSpan utc_days_covering(const Zone& zone, std::int64_t first, std::int64_t count);

// Cuts local days first .. first + count - 1 out of the predictions of
// consecutive UTC days starting at day `utc_first`. In UTC each view is the
// library's day unchanged.
std::vector<DayView> cut_local_days(std::span<const DayPrediction> utc_days, std::int64_t utc_first,
                                    const Zone& zone, std::int64_t first, std::int64_t count);

}  // namespace nerith::cli
