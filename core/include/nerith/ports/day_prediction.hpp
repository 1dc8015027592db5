// The records of a station-day under the names the built-in model has
// always given them; they are the shared ones of nerith/types.hpp.
#pragma once

#include "nerith/types.hpp"

namespace nerith::harmonic::engine {
using HeightSample = nerith::HeightSample;
}

namespace nerith::harmonic::extremes {
using Extreme = nerith::Extreme;
}

namespace nerith::ports {
using DayPrediction = nerith::DayPrediction;
}
