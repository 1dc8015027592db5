// Core records of a tide station.
#pragma once

#include <string>
#include <vector>

namespace nerith::ports {

// One harmonic constituent of a station: amplitude in metres, Greenwich
// phase lag in degrees. Names compare byte for byte, case-sensitively.
struct HarmonicConstituent {
  std::string name;
  double amplitude = 0.0;
  double phase_lag = 0.0;

  friend bool operator==(const HarmonicConstituent&, const HarmonicConstituent&) = default;
};

// A tide station. Copies are deep: a Port owns its texts and its list.
struct Port {
  std::string id;
  std::string name;
  double latitude = 0.0;          // degrees, north positive
  double longitude = 0.0;         // degrees, east positive
  double mean_water_level = 0.0;  // metres; the constant term of the height sum
  bool atlantic_coast = false;    // high waters get a tide coefficient only here
  std::vector<HarmonicConstituent> constituents;

  friend bool operator==(const Port&, const Port&) = default;
};

}  // namespace nerith::ports
