#include "minutes.hpp"

namespace nerith::cli {

std::int64_t minute_down(std::int64_t t, const Zone& zone) {
  return t - zone.local(t).second % 60;
}

std::int64_t minute_up(std::int64_t t, const Zone& zone) {
  const std::int64_t down = minute_down(t, zone);
  return down == t ? t : down + 60;
}

std::int64_t minute_nearest(std::int64_t t, const Zone& zone) {
  const std::int64_t down = minute_down(t, zone);
  return t - down < 30 ? down : down + 60;
}

std::optional<windows::WaterWindow> shown_window(const windows::WaterWindow& window,
                                                 windows::Side side, const Zone& zone) {
  windows::WaterWindow shown = window;
  if (side == windows::Side::Above) {
    shown.start = minute_up(window.start, zone);
    shown.end = minute_down(window.end, zone);
    if (shown.end <= shown.start) return std::nullopt;
  } else {
    shown.start = minute_down(window.start, zone);
    shown.end = minute_up(window.end, zone);
  }
  return shown;
}

}  // namespace nerith::cli
