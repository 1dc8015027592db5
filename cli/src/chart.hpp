// The SVG tide chart: one panel per day, stacked so that a week reads on a
// phone by scrolling down, all on one height scale so springs and neaps compare.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "local_days.hpp"
#include "nerith/ports.hpp"
#include "nerith/windows.hpp"
#include "timezone.hpp"

namespace nerith::cli {

struct ChartMark {
  std::int64_t time = 0;
  double height = 0.0;
  bool is_high = false;
  std::optional<int> coefficient;
  std::string clock;  // "03:54", to the nearest minute
};

struct ChartTick {
  std::int64_t time = 0;
  std::string label;  // "03:00" on labelled ticks, empty on the others
};

struct ChartDay {
  std::string heading;  // "Sunday 10 March"; shown when the chart has several days
  std::int64_t start = 0;
  std::int64_t end = 0;
  std::vector<HeightSample> heights;
  std::vector<ChartMark> marks;
  std::vector<ChartTick> ticks;  // every local hour, labelled every third
};

struct Chart {
  std::string title;     // the station's name
  std::string subtitle;  // dates, clock, units and datum
  std::vector<ChartDay> days;
  // A water level to draw as a dashed line, and the windows to shade behind
  // the curve; with no level the chart is drawn as before.
  std::optional<double> level = std::nullopt;
  std::vector<windows::WaterWindow> windows = {};
};

// What the chart shows of these days, with times read on the zone's clock
// and heights said to be `datum` ("above chart datum").
Chart make_chart(const ports::Port& port, std::span<const DayView> days, const Zone& zone,
                 std::string_view datum);

// A standalone SVG document.
std::string render_svg(const Chart& chart);

// Text with &, <, >, " and ' escaped for XML.
std::string xml_escape(std::string_view text);

}  // namespace nerith::cli
