#include "tide_keys.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "models.hpp"
#include "nerith/api.hpp"
#include "timezone.hpp"

namespace nerith::cli {
namespace {

using nerith::Extreme;

TEST(WaterKeys, NumberHighWatersByCycleAndLowWatersByTheHighBefore) {
  const ports::Port port{"P", "P", 0, 0, 0, true, {{"M2", 1.0, 0.0}, {"S2", 0.3, 0.0}}};
  const TideClock clock(port);
  // Cycle n of M2 (phase lag 0) peaks near 2000-01-01 12:00 UTC + n × 12.42 h
  // less 124.3° of it.
  const std::int64_t peak = 946728000 - 15439;  // cycle 0
  const std::int64_t half = 22357;
  ASSERT_EQ(clock.nearest_cycle(peak), 0);
  ASSERT_EQ(clock.nearest_cycle(peak + 2 * half + 600), 1);
  ASSERT_EQ(clock.last_cycle(peak + half), 0);
  // (time, is_high, key)
  const std::vector<std::tuple<std::int64_t, bool, std::string>> cases{
      {peak - half + 900, false, "-1"},  // a low before any high: the cycle before it
      {peak + 1200, true, "0"},          // twenty minutes late
      {peak + half, false, "0"},         // after the high of cycle 0
      {peak + 2 * half - 3000, true, "1"},
      {peak + 2 * half + 3600, true, "1.2"},  // a second high in the same cycle
      {peak + 3 * half - 900, false, "1.2"},  // after that second high
      {peak + 3 * half + 900, false, "1.2.2"},
      {peak + 4 * half, true, "2"},
  };
  std::vector<Extreme> waters;
  for (const auto& [t, high, key] : cases) waters.push_back({t, 1.0, high, {}});
  const auto keys = water_keys(clock, waters);
  for (std::size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(keys[i], std::get<2>(cases[i])) << i;

  // Windows take the key of the first water of their kind inside them, or
  // of the nearest; a key taken twice is numbered.
  using enum windows::Side;
  const std::vector<windows::WaterWindow> above{
      {peak - 3600, peak + 3600, false, false},
      {peak + 2 * half - 4000, peak + 2 * half + 4000, false, false},
      {peak + 4 * half - 60, peak + 4 * half - 30, false, false}};
  EXPECT_EQ(window_keys(above, Above, waters, keys), (std::vector<std::string>{"0", "1", "2"}));
  const std::vector<windows::WaterWindow> below{
      {peak + half - 600, peak + half + 600, false, false},
      {peak + half + 900, peak + half + 1200, false, false}};
  EXPECT_EQ(window_keys(below, Below, waters, keys), (std::vector<std::string>{"0", "0.2"}));
}

class Waters final : public api::DaySink {
 public:
  void begin(std::uint64_t) override {}
  void day(const DayPrediction& prediction) override {
    all.insert(all.end(), prediction.extremes.begin(), prediction.extremes.end());
  }
  std::vector<Extreme> all;
};

std::map<std::int64_t, std::string> keyed(Model model, const std::string& port, std::int64_t first,
                                          std::int64_t last) {
  Waters waters;
  EXPECT_TRUE(model_of(model).predict_range(port, date_text(first), date_text(last), waters));
  const auto full = model_of(Model::Full).details(port);
  const auto keys = water_keys(TideClock(full->port), waters.all);
  std::map<std::int64_t, std::string> by_time;
  for (std::size_t i = 0; i < keys.size(); ++i)
    by_time[waters.all[i].time] = (waters.all[i].is_high ? "high " : "low ") + keys[i];
  return by_time;
}

// The same tide gets the same key from either model, and from any range of
// days that holds it, at every port both models hold.
TEST(WaterKeys, AgreeAcrossModelsAndRanges) {
  const std::int64_t first = *parse_date("2024-03-01");
  const std::int64_t last = first + 44;
  for (const auto& port : model_of(Model::Builtin).list_ports()) {
    if (!model_of(Model::Full).details(port.id)) continue;
    const auto builtin = keyed(Model::Builtin, port.id, first, last);
    const auto full = keyed(Model::Full, port.id, first, last);
    const auto later = keyed(Model::Full, port.id, first + 3, last + 2);
    std::size_t paired = 0;
    for (const auto& [t, key] : builtin) {
      // The full model's water of the same kind nearest in time, if alone
      // within three hours (a doubled water is one model's alone).
      std::vector<std::pair<std::int64_t, std::string>> near;
      for (auto it = full.lower_bound(t - 3 * 3600); it != full.end() && it->first < t + 3 * 3600;
           ++it) {
        if (it->second.starts_with(key.substr(0, 4))) near.emplace_back(*it);
      }
      if (near.size() != 1 || std::llabs(near[0].first - t) > 3600 || key.find('.') != key.npos ||
          near[0].second.find('.') != std::string::npos)
        continue;
      ++paired;
      EXPECT_EQ(near[0].second, key) << port.id << " at " << t;
    }
    EXPECT_GT(paired, 150u) << port.id;
    // Three days later the keys of the shared days are the same.
    for (const auto& [t, key] : later) {
      if (t >= (first + 5) * 86400 && t < (last - 2) * 86400) {
        EXPECT_EQ(full.at(t), key) << t;
      }
    }
  }
}

}  // namespace
}  // namespace nerith::cli
