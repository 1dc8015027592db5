#include "local_days.hpp"

#include <algorithm>

#include "nerith/calendar.hpp"

namespace nerith::cli {
UtcSpan utc_days_covering(const Zone& zone, std::int64_t first, std::int64_t count) {
  return {day_of(zone.day_start(first)), day_of(zone.day_start(first + count) - 1)};
}

std::vector<DayView> cut_local_days(std::span<const DayPrediction> utc_days, std::int64_t utc_first,
                                    const Zone& zone, std::int64_t first, std::int64_t count) {
  std::vector<DayView> views;
  views.reserve(static_cast<std::size_t>(std::max<std::int64_t>(count, 0)));
  const auto days = static_cast<std::int64_t>(utc_days.size());
  for (std::int64_t day = first; day < first + count; ++day) {
    DayView view{day, date_text(day), zone.day_start(day), zone.day_start(day + 1), {}, {}};
    // Only the UTC days that can reach into [start, end]: the one ending at
    // its start, through the one starting at its end. A local day spans at
    // most 26 hours, so every local day reads at most four UTC days.
    const std::int64_t from = std::clamp<std::int64_t>(day_of(view.start) - 1 - utc_first, 0, days);
    const std::int64_t to = std::clamp<std::int64_t>(day_of(view.end) + 1 - utc_first, 0, days);
    for (auto i = static_cast<std::size_t>(from); i < static_cast<std::size_t>(to); ++i) {
      // Each UTC day's grid also ends with the next day's midnight; that
      // sample is taken from the day that starts there, except at the very end.
      const std::int64_t utc_start = (utc_first + static_cast<std::int64_t>(i)) * 86400;
      const std::int64_t utc_end = utc_start + 86400;
      for (const auto& extreme : utc_days[i].extremes) {
        if (extreme.time >= view.start && extreme.time < view.end) view.extremes.push_back(extreme);
      }
      for (const auto& sample : utc_days[i].heights) {
        const bool own = sample.time < utc_end || sample.time == view.end;
        if (own && sample.time >= utc_start && sample.time >= view.start &&
            sample.time <= view.end &&
            (view.heights.empty() || view.heights.back().time < sample.time)) {
          view.heights.push_back(sample);
        }
      }
    }
    views.push_back(std::move(view));
  }
  return views;
}

}  // namespace nerith::cli
