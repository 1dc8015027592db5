// One station-day: the 10-minute height curve and the high and low waters.
// The two point records live here, in the modules that produce them, so
// that the installed headers hold every record a prediction returns.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nerith::harmonic::engine {

// One point of a height curve: Unix seconds, metres.
struct HeightSample {
  std::int64_t time = 0;
  double height = 0.0;

  friend bool operator==(const HeightSample&, const HeightSample&) = default;
};

}  // namespace nerith::harmonic::engine

namespace nerith::harmonic::extremes {

// One high or low water. `coefficient` is set only on graded high waters.
struct Extreme {
  std::int64_t time = 0;  // Unix seconds, UTC
  double height = 0.0;    // metres
  bool is_high = false;
  std::optional<std::uint8_t> coefficient;

  friend bool operator==(const Extreme&, const Extreme&) = default;
};

}  // namespace nerith::harmonic::extremes

namespace nerith::ports {

struct DayPrediction {
  std::string port_id;                                  // the identifier as the caller passed it
  std::string date;                                     // the day's date text
  std::vector<harmonic::extremes::Extreme> extremes;    // ascending by time
  std::vector<harmonic::engine::HeightSample> heights;  // 145 samples, 600 s apart

  friend bool operator==(const DayPrediction&, const DayPrediction&) = default;
};

}  // namespace nerith::ports
