// Water windows: the spans of time during which the tide stands at or above
// a level (enough water to cross a sill), or below it (a causeway to walk).
// The records are the shared ones of nerith/types.hpp.
#pragma once

#include "nerith/types.hpp"

namespace nerith::windows {

using Side = nerith::WaterSide;
using WaterWindow = nerith::WaterWindow;

}  // namespace nerith::windows
