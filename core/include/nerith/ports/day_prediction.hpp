// One station-day: the 10-minute height curve and the high and low waters.
#pragma once

#include <string>
#include <vector>

#include "nerith/harmonic/engine.hpp"
#include "nerith/harmonic/extremes.hpp"

namespace nerith::ports {

struct DayPrediction {
  std::string port_id;                                  // the identifier as the caller passed it
  std::string date;                                     // the day's date text
  std::vector<harmonic::extremes::Extreme> extremes;    // ascending by time
  std::vector<harmonic::engine::HeightSample> heights;  // 145 samples, 600 s apart

  friend bool operator==(const DayPrediction&, const DayPrediction&) = default;
};

}  // namespace nerith::ports
