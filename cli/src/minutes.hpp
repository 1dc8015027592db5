// Instants as the command's tables, charts and calendars show them: whole
// minutes of the zone's clock, rounded so that a window errs towards less
// water. JSON and CSV keep the seconds.
#pragma once

#include <cstdint>
#include <optional>

#include "nerith/windows.hpp"
#include "timezone.hpp"

namespace nerith::cli {

// t moved to a whole minute of the zone's clock: down, up, or to the nearest
// (half a minute goes up). A high or low water is shown at the nearest.
std::int64_t minute_down(std::int64_t t, const Zone& zone);
std::int64_t minute_up(std::int64_t t, const Zone& zone);
std::int64_t minute_nearest(std::int64_t t, const Zone& zone);

// A window as shown: one above the level narrowed to the whole minutes
// inside it (start rounded up, end down), one below it widened to the whole
// minutes around it (start down, end up), so that neither promises water
// that is not there. Nothing for a window above that, narrowed, lasts no
// minute at all.
std::optional<windows::WaterWindow> shown_window(const windows::WaterWindow& window,
                                                 windows::Side side, const Zone& zone);

}  // namespace nerith::cli
