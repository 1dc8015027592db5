// A second model plugs into the extremes finder and the day assembly: a toy
// curve with known turning points, and the built-in curve behind another type.
#include "common/assembly.hpp"
#include "builtin/harmonic/window.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "builtin_port.hpp"
#include "nerith/api.hpp"

namespace {

using nerith::harmonic::extremes::Extreme;
using nerith::harmonic::extremes::Window;

constexpr std::int64_t kDay = 86400;
constexpr std::int64_t k20240310 = 1710028800;

// cos(2π (t − peak) / period): high waters at peak + k·period, lows halfway.
struct ToyCurve {
  std::int64_t from;
  std::int64_t to;
  std::int64_t peak;
  std::int64_t period;
  mutable int evaluations = 0;

  std::int64_t start() const { return from; }
  std::int64_t end() const { return to; }
  double height(std::int64_t t) const {
    ++evaluations;
    return std::cos(2.0 * 3.141592653589793 * static_cast<double>(t - peak) /
                    static_cast<double>(period));
  }
};

// The built-in window behind a type of another model.
struct Wrapped {
  Window window;
  std::int64_t start() const { return window.start(); }
  std::int64_t end() const { return window.end(); }
  double height(std::int64_t t) const { return window.height(t); }
};

TEST(Plugin, FindExtremesOnAnotherCurve) {
  const ToyCurve curve{0, kDay, 21600 + 30, 43200};
  std::vector<nerith::harmonic::engine::HeightSample> coarse;
  std::vector<Extreme> found;
  nerith::harmonic::extremes::find_extremes(
      curve, found, [&](const nerith::harmonic::engine::HeightSample& s) { coarse.push_back(s); });
  // Lows at 30 and 43230, highs at 21630 and 64830; the 60 s slope probe
  // closes the bracket about 30 s early.
  ASSERT_EQ(found.size(), 4u);
  for (std::size_t i = 0; i < found.size(); ++i) {
    EXPECT_EQ(found[i].is_high, i % 2 == 1);
    EXPECT_LE(std::llabs(found[i].time - 21600 * static_cast<std::int64_t>(i)), 15);
  }
  // Every coarse instant from start − 300 to end + 300, each evaluated once.
  ASSERT_EQ(coarse.size(), 291u);
  EXPECT_EQ(coarse.front().time, -300);
  EXPECT_EQ(coarse.back().time, kDay + 300);
  EXPECT_LE(curve.evaluations, 291 + 4 * 16);  // and at most 16 more per candidate

  const auto& port = nerith::testing::builtin_port("FR-LE-HAVRE");
  for (const std::int64_t length : {std::int64_t{0}, std::int64_t{601}, kDay}) {
    const Wrapped wrapped{
        Window(k20240310, k20240310 + length, port.constituents, port.mean_water_level)};
    EXPECT_EQ(nerith::harmonic::extremes::find_extremes(wrapped),
              nerith::harmonic::extremes::find_extremes(k20240310, k20240310 + length,
                                                        port.constituents, port.mean_water_level));
  }
}

// A model with one station "TOY": the toy curve, a high water graded 42.
struct ToyModel {
  using Station = std::string;
  std::optional<std::string> find(std::string_view id) const {
    if (id != "TOY") return std::nullopt;
    return std::string(id);
  }
  ToyCurve curve(const std::string&, std::int64_t start, std::int64_t end) const {
    return {start, end, start + 3600, 44712};
  }
  void grade(const std::string&, std::vector<Extreme>& extremes, std::int64_t, std::int64_t) const {
    for (Extreme& e : extremes) {
      if (e.is_high) e.coefficient = 42;
    }
  }
};

TEST(Plugin, DayAndRangeAssemblyOfAnotherModel) {
  namespace assembly = nerith::assembly;
  const auto day = assembly::predict_day(ToyModel{}, "TOY", "2024-03-10");
  ASSERT_TRUE(day.has_value());
  EXPECT_EQ(day->date, "2024-03-10");
  ASSERT_EQ(day->heights.size(), 145u);
  const ToyCurve curve = ToyModel{}.curve("TOY", k20240310, k20240310 + kDay);
  for (std::size_t i = 0; i < day->heights.size(); ++i) {
    const std::int64_t t = k20240310 + 600 * static_cast<std::int64_t>(i);
    EXPECT_EQ(day->heights[i].time, t);
    EXPECT_EQ(day->heights[i].height, curve.height(t));
  }
  ASSERT_FALSE(day->extremes.empty());
  for (const Extreme& e : day->extremes) {
    EXPECT_EQ(e.coefficient, e.is_high ? std::optional<std::uint8_t>(42) : std::nullopt);
  }

  const auto range = assembly::predict_range(ToyModel{}, "TOY", "2024-03-09", "2024-03-11");
  ASSERT_TRUE(range.has_value());
  ASSERT_EQ(range->size(), 3u);
  EXPECT_EQ((*range)[1], *day);
  // The same errors, in the same order, as the built-in model.
  EXPECT_EQ(assembly::predict_day(ToyModel{}, "toy", "2024-02-30").error().kind,
            nerith::api::ApiError::Kind::PortNotFound);
  EXPECT_EQ(assembly::predict_range(ToyModel{}, "toy", "2024-03-11", "2024-03-09").error().text,
            "2024-03-11 > 2024-03-09");
}

// The toy model whole: through nerith::model::Model, AssembledModel gives
// the assembly's own days, ranges and windows, and its policy's height.
struct ToyPolicy : ToyModel {
  static constexpr std::string_view name = "toy";
  static constexpr std::string_view datum = "its mean";
  std::string_view attribution() const { return {}; }
  std::vector<nerith::ports::Port> list_ports() const { return {}; }
  std::vector<nerith::ports::Port> search_ports(std::string_view) const { return {}; }
  std::optional<nerith::model::StationDetails> details(std::string_view) const { return {}; }
  double height(const std::string& id, std::int64_t t) const { return curve(id, t, t).height(t); }
};

struct Collect final : nerith::DaySink {
  std::vector<nerith::DayPrediction> days;
  void begin(std::uint64_t) override {}
  void day(const nerith::DayPrediction& prediction) override { days.push_back(prediction); }
};

TEST(Plugin, AssembledModelIsTheAssemblyBehindTheInterface) {
  namespace assembly = nerith::assembly;
  static const assembly::AssembledModel<ToyPolicy> toy;
  const nerith::model::Model& model = toy;
  EXPECT_EQ(model.name(), "toy");
  EXPECT_EQ(model.datum(), "its mean");
  EXPECT_EQ(model.predict_day("TOY", "2024-03-10"),
            assembly::predict_day(ToyModel{}, "TOY", "2024-03-10"));
  Collect sink;
  ASSERT_TRUE(model.predict_range("TOY", "2024-03-09", "2024-03-11", sink).has_value());
  EXPECT_EQ(sink.days, *assembly::predict_range(ToyModel{}, "TOY", "2024-03-09", "2024-03-11"));
  EXPECT_EQ(toy.predict_range("TOY", "2024-03-09", "2024-03-11"), sink.days);
  const auto side = nerith::windows::Side::Below;
  EXPECT_EQ(model.water_windows("TOY", "2024-03-10", "2024-03-10", 0.5, side),
            assembly::water_windows(ToyModel{}, "TOY", "2024-03-10", "2024-03-10", 0.5, side));
  EXPECT_EQ(model.height_at("TOY", k20240310),
            ToyModel{}.curve("TOY", k20240310, k20240310).height(k20240310));
  for (const auto& error :
       {model.height_at("toy", 0).error(), model.predict_day("toy", "2024-03-10").error(),
        model.predict_range("toy", "2024-03-10", "2024-03-10", sink).error(),
        model.water_windows("toy", "2024-03-10", "2024-03-10", 0.5, side).error()}) {
    EXPECT_EQ(error, (nerith::ApiError{nerith::ApiError::Kind::PortNotFound, "toy"}));
  }
}

}  // namespace
