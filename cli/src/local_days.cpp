#include "local_days.hpp"

namespace nerith::cli {
namespace {

std::int64_t floor_div(std::int64_t a, std::int64_t b) {
  return a / b - (a % b != 0 && a < 0);
}

}  // namespace

UtcSpan utc_days_covering(const Zone& zone, std::int64_t first, std::int64_t count) {
  return {floor_div(zone.day_start(first), 86400),
          floor_div(zone.day_start(first + count) - 1, 86400)};
}

std::vector<DayView> cut_local_days(std::span<const ports::DayPrediction> utc_days,
                                    std::int64_t utc_first, const Zone& zone, std::int64_t first,
                                    std::int64_t count) {
  std::vector<DayView> views;
  for (std::int64_t day = first; day < first + count; ++day) {
    DayView view{day, date_text(day), zone.day_start(day), zone.day_start(day + 1), {}, {}};
    for (std::size_t i = 0; i < utc_days.size(); ++i) {
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
