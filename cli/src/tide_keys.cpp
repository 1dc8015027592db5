#include "tide_keys.hpp"

#include <cstdlib>
#include <limits>
#include <map>

namespace nerith::cli {
namespace {

struct Constituent {
  const char* name;
  double speed;  // degrees per hour
  double v0;     // equilibrium argument at 2000-01-01 12:00 UTC, degrees
};

// V0 from the mean longitudes of the moon (s = 218.3164°) and the sun
// (h = 280.4665°) at 12:00 UTC, when the mean solar angle T is 0:
// M2 = 2T - 2s + 2h, S2 = 2T, K1 = T + h + 90°, O1 = T - 2s + h - 90°.
constexpr Constituent CONSTITUENTS[] = {
    {"M2", 28.9841042, 124.3000180},
    {"S2", 30.0, 0.0},
    {"K1", 15.0410686, 10.4664567},
    {"O1", 13.9430356, 113.8335613},
};

constexpr double J2000 = 946728000.0;  // 2000-01-01 12:00 UTC, Unix seconds

// `key` at its first use, then with ".2", ".3", counted in `uses`.
std::string numbered(const std::string& key, std::map<std::string, int>& uses) {
  const int n = ++uses[key];
  return n == 1 ? key : key + "." + std::to_string(n);
}

}  // namespace

TideClock::TideClock(const ports::Port& constants) {
  const Constituent* strongest = &CONSTITUENTS[0];
  double amplitude = -1.0;
  double lag = 0.0;
  for (const Constituent& c : CONSTITUENTS) {
    for (const auto& h : constants.constituents) {
      if (h.name == c.name && h.amplitude > amplitude && std::isfinite(h.phase_lag)) {
        strongest = &c;
        amplitude = h.amplitude;
        lag = h.phase_lag;
      }
    }
  }
  speed_ = strongest->speed;
  phase_ = strongest->v0 - lag;
}

double TideClock::cycles(std::int64_t t) const {
  return (phase_ + speed_ * ((static_cast<double>(t) - J2000) / 3600.0)) / 360.0;
}

std::vector<std::string> water_keys(const TideClock& clock, std::span<const Extreme> waters) {
  std::vector<std::string> keys;
  keys.reserve(waters.size());
  std::map<std::string, int> highs;
  std::map<std::string, int> lows;
  std::string high_before;
  for (const auto& water : waters) {
    if (water.is_high) {
      high_before = numbered(std::to_string(clock.nearest_cycle(water.time)), highs);
      keys.push_back(high_before);
    } else {
      keys.push_back(numbered(
          high_before.empty() ? std::to_string(clock.last_cycle(water.time)) : high_before, lows));
    }
  }
  return keys;
}

std::vector<std::string> window_keys(std::span<const windows::WaterWindow> windows,
                                     windows::Side side, std::span<const Extreme> waters,
                                     std::span<const std::string> keys) {
  const bool want_high = side == windows::Side::Above;
  std::vector<std::string> out;
  out.reserve(windows.size());
  std::map<std::string, int> uses;
  for (const auto& w : windows) {
    const std::string* key = nullptr;
    std::int64_t nearest = std::numeric_limits<std::int64_t>::max();
    for (std::size_t i = 0; i < waters.size(); ++i) {
      if (waters[i].is_high != want_high) continue;
      const std::int64_t t = waters[i].time;
      if (t >= w.start && t <= w.end) {
        key = &keys[i];
        break;
      }
      const std::int64_t distance = std::min(std::llabs(t - w.start), std::llabs(t - w.end));
      if (distance < nearest) {
        nearest = distance;
        key = &keys[i];
      }
    }
    out.push_back(numbered(key != nullptr ? *key : std::to_string(w.start), uses));
  }
  return out;
}

}  // namespace nerith::cli
