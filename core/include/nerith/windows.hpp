// Water windows: the spans of time during which the tide stands at or above
// a level (enough water to cross a sill), or below it (a causeway to walk).
#pragma once

#include <cstdint>

namespace nerith::windows {

// Which side of the level a window keeps the water on. Below is at-or-above's
// complement: a level exactly met counts as above.
enum class Side { Above, Below };

// One window, its instants refined to the second. A window already open when
// the range began, or still open when it ends, is cut there and says so.
struct WaterWindow {
  std::int64_t start = 0;   // Unix seconds, UTC; the range's start when open_start
  std::int64_t end = 0;     // Unix seconds, UTC; the range's end when open_end
  bool open_start = false;  // the water was already on this side when the range began
  bool open_end = false;    // and is still there when it ends

  std::int64_t duration() const { return end - start; }

  friend bool operator==(const WaterWindow&, const WaterWindow&) = default;
};

}  // namespace nerith::windows
