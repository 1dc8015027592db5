// Water windows: crossings of a level known in closed form on a sinusoid,
// then a real station against every second of its curve.
#include "common/windows.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "builtin/harmonic/window.hpp"
#include "builtin_port.hpp"
#include "common/assembly.hpp"
#include "nerith/api.hpp"

namespace {

using nerith::windows::Side;
using nerith::windows::WaterWindow;

constexpr double kPi = 3.141592653589793;
constexpr std::int64_t kDay = 86400;
constexpr std::int64_t k20240310 = 1710028800;

// amplitude · cos(2π (t − peak) / period), a model of one station.
struct Sinusoid {
  static constexpr double kAmplitude = 2.0;
  static constexpr std::int64_t kPeak = k20240310 + 3600;
  static constexpr double kPeriod = 44714.0;  // M2's, to the second

  struct Curve {
    std::int64_t from, to;
    std::int64_t start() const { return from; }
    std::int64_t end() const { return to; }
    double height(std::int64_t t) const {
      return kAmplitude * std::cos(2.0 * kPi * static_cast<double>(t - kPeak) / kPeriod);
    }
  };
  using Station = int;
  std::optional<int> find(std::string_view id) const {
    return id == "SINE" ? std::optional<int>(0) : std::nullopt;
  }
  Curve curve(int, std::int64_t start, std::int64_t end) const { return {start, end}; }
  void grade(int, std::vector<nerith::harmonic::extremes::Extreme>&, std::int64_t,
             std::int64_t) const {}
};

// The exact windows at or above `level` that overlap [start, end).
std::vector<std::pair<double, double>> exact_windows(double level, std::int64_t start,
                                                     std::int64_t end) {
  const double half = std::acos(level / Sinusoid::kAmplitude) / (2.0 * kPi) * Sinusoid::kPeriod;
  std::vector<std::pair<double, double>> out;
  for (int k = -2; k < 10; ++k) {
    const double crest = static_cast<double>(Sinusoid::kPeak) + k * Sinusoid::kPeriod;
    const double a = std::max(crest - half, static_cast<double>(start));
    const double b = std::min(crest + half, static_cast<double>(end));
    if (a < b) out.emplace_back(a, b);
  }
  return out;
}

TEST(WaterWindows, SinusoidCrossingsToTheSecondAndTheirComplement) {
  const std::int64_t end = k20240310 + 3 * kDay;
  for (const double level : {1.0, -0.5, 1.999, 1.9}) {
    SCOPED_TRACE(level);
    const auto above = nerith::assembly::water_windows(Sinusoid{}, "SINE", "2024-03-10",
                                                       "2024-03-12", level, Side::Above);
    ASSERT_TRUE(above.has_value());
    const auto exact = exact_windows(level, k20240310, end);
    ASSERT_EQ(above->size(), exact.size());
    for (std::size_t i = 0; i < exact.size(); ++i) {
      const WaterWindow& w = (*above)[i];
      // Each instant is the first whole second on the new side.
      EXPECT_EQ(w.open_start, i == 0 && exact[i].first == k20240310);
      EXPECT_EQ(w.open_end, i + 1 == exact.size() && exact[i].second == end);
      if (!w.open_start) {
        EXPECT_EQ(w.start, static_cast<std::int64_t>(std::ceil(exact[i].first)));
      }
      if (!w.open_end) {
        EXPECT_EQ(w.end, static_cast<std::int64_t>(std::floor(exact[i].second)) + 1);
      }
    }
    const auto below = nerith::assembly::water_windows(Sinusoid{}, "SINE", "2024-03-10",
                                                       "2024-03-12", level, Side::Below);
    ASSERT_TRUE(below.has_value());
    // Below and above alternate and tile the range.
    std::vector<WaterWindow> all(above->begin(), above->end());
    all.insert(all.end(), below->begin(), below->end());
    std::ranges::sort(all, {}, &WaterWindow::start);
    EXPECT_EQ(all.front().start, k20240310);
    EXPECT_EQ(all.back().end, end);
    for (std::size_t i = 1; i < all.size(); ++i) EXPECT_EQ(all[i].start, all[i - 1].end);
  }
  // A level never reached, or never left, and a NaN one.
  const auto never = nerith::assembly::water_windows(Sinusoid{}, "SINE", "2024-03-10", "2024-03-10",
                                                     2.5, Side::Above);
  EXPECT_TRUE(never->empty());
  const auto always = nerith::assembly::water_windows(Sinusoid{}, "SINE", "2024-03-10",
                                                      "2024-03-10", 2.5, Side::Below);
  EXPECT_EQ(*always, (std::vector<WaterWindow>{{k20240310, k20240310 + kDay, true, true}}));
  EXPECT_EQ(nerith::assembly::water_windows(Sinusoid{}, "SINE", "2024-03-10", "2024-03-10",
                                            std::nan(""), Side::Above)
                .error()
                .kind,
            nerith::api::ApiError::Kind::InvalidLevel);
}

// Every second of two days at Saint-Malo: inside a window exactly when the
// day's own curve stands at or above the level.
TEST(WaterWindows, BuiltinStationAgainstEverySecondOfItsCurve) {
  const auto& port = nerith::testing::builtin_port("FR-SAINT-MALO");
  const double level = port.mean_water_level + 2.0;
  const auto found =
      nerith::api::water_windows(port.id, "2024-03-10", "2024-03-11", level, Side::Above);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->size(), 4u);
  std::size_t next = 0;
  for (std::int64_t day = k20240310; day < k20240310 + 2 * kDay; day += kDay) {
    const nerith::harmonic::extremes::Window curve(day, day + kDay, port.constituents,
                                                   port.mean_water_level);
    for (std::int64_t t = day; t < day + kDay; ++t) {
      while (next < found->size() && (*found)[next].end <= t) ++next;
      const bool inside = next < found->size() && (*found)[next].start <= t;
      ASSERT_EQ(inside, curve.height(t) >= level) << t;
    }
  }
  const auto unknown =
      nerith::api::water_windows("FR-NOWHERE", "2024-03-10", "2024-03-10", 0.0, Side::Above);
  EXPECT_EQ(unknown.error().kind, nerith::api::ApiError::Kind::PortNotFound);
  const auto backwards =
      nerith::api::water_windows(port.id, "2024-03-11", "2024-03-10", 0.0, Side::Above);
  EXPECT_EQ(backwards.error().kind, nerith::api::ApiError::Kind::InvalidDate);
}

}  // namespace
